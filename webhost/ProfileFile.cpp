#include "ProfileFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>

namespace webhost {
namespace {

constexpr QChar kCommentMark = QLatin1Char(';');

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString withoutEnclosingQuotes(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

// Files written by Notepad may carry a UTF-16 or UTF-8 byte-order mark; others are taken as
// UTF-8, which is what this product's installer writes.
QString decodeFile(const QByteArray& bytes) {
    QTextCodec* codec = QTextCodec::codecForUtfText(bytes, QTextCodec::codecForName("UTF-8"));
    return codec->toUnicode(bytes);
}

}  // namespace

bool ProfileFile::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    parse(decodeFile(file.readAll()));
    return true;
}

void ProfileFile::parse(const QString& text) {
    m_sections.clear();
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.front() == kCommentMark) {
            continue;
        }
        if (line.front() == QLatin1Char('[')) {
            const int close = line.lastIndexOf(QLatin1Char(']'));
            const int end = close > 0 ? close : line.size();
            m_sections.push_back({line.mid(1, end - 1).trimmed(), {}});
            continue;
        }
        if (m_sections.empty()) {
            continue;  // keys before the first section belong to no section
        }
        const int equals = line.indexOf(QLatin1Char('='));
        Entry entry;
        entry.key = (equals < 0 ? line : line.left(equals)).trimmed();
        entry.value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
        m_sections.back().entries.push_back(entry);
    }
}

const ProfileFile::Entry* ProfileFile::find(const QString& section, const QString& key) const {
    for (const Section& s : m_sections) {
        if (!sameName(s.name, section)) {
            continue;
        }
        for (const Entry& e : s.entries) {
            if (sameName(e.key, key)) {
                return &e;
            }
        }
        return nullptr;  // only the first section of that name is searched
    }
    return nullptr;
}

QString ProfileFile::string(const QString& section, const QString& key, const QString& fallback,
                            int bufferChars) const {
    const Entry* entry = find(section, key);
    const QString value = entry ? withoutEnclosingQuotes(entry->value) : fallback;
    return value.left(qMax(0, bufferChars - 1));
}

int ProfileFile::integer(const QString& section, const QString& key, int fallback) const {
    constexpr int kIntBufferChars = 30;  // GetPrivateProfileIntW reads into a small buffer
    const QString value = string(section, key, QString(), kIntBufferChars);
    return value.isEmpty() ? fallback : parseProfileInt(value);
}

int parseProfileInt(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    quint32 value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + static_cast<quint32>(text[i].unicode() - '0');
    }
    return static_cast<int>(negative ? 0u - value : value);
}

}  // namespace webhost
