#include "platform/sim/core/StateStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

#include "platform/posix/UniqueFd.h"
#include "platform/sim/core/JsonCheck.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace platform::sim {

namespace {

// Whole numbers up to 2^53 survive a JSON double exactly.
constexpr double kLargestExactCount = 9007199254740992.0;

// An exclusive flock held for the object's life. flock locks belong to the open file
// description, so two threads of one process exclude each other as two processes do.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        m_fd.reset(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (!m_fd.valid()) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        int result = 0;
        do {
            result = ::flock(m_fd.get(), LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const { return m_fd.valid() && m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    posix::UniqueFd m_fd;  // closing the only descriptor releases the lock
    QString m_error;
};

}  // namespace

StateStore::StateStore(const QString& directory) : m_directory(directory) {}

StateStore StateStore::refusing(const QString& directory, const QString& reason) {
    StateStore store(directory);
    store.m_refusal = reason.isEmpty() ? QStringLiteral("the simulated PC is not open") : reason;
    return store;
}

QString StateStore::documentPath(const QString& facility) const {
    return QDir(m_directory).filePath(facility + QStringLiteral(".json"));
}

QString StateStore::lockPath(const QString& facility) const {
    return QDir(m_directory).filePath(facility + QStringLiteral(".lock"));
}

bool StateStore::read(const QString& facility, QJsonObject& document, QString& error) const {
    if (!m_refusal.isEmpty()) {
        error = m_refusal;
        return false;
    }
    const QString path = documentPath(facility);
    QFile file(path);
    if (!file.exists()) {
        document = QJsonObject();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read state file %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray text = file.readAll();
    QJsonParseError parseError;
    const QJsonDocument parsed = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error =
            QStringLiteral("state file %1:%2 is corrupt: %3")
                .arg(path, json::lineAndColumn(text, parseError.offset), parseError.errorString());
        return false;
    }
    if (!parsed.isObject()) {
        error = QStringLiteral("state file %1 is corrupt: it is not a JSON object").arg(path);
        return false;
    }
    document = parsed.object();
    return true;
}

bool StateStore::update(const QString& facility, const Mutation& mutate, QString& error) {
    if (!m_refusal.isEmpty()) {
        error = m_refusal;
        return false;
    }
    FileLock lock(lockPath(facility));
    if (!lock.isLocked()) {
        error = QStringLiteral("cannot lock %1: %2").arg(lockPath(facility), lock.errorString());
        return false;
    }
    QJsonObject document;
    if (!read(facility, document, error)) {
        return false;
    }
    if (!mutate(document)) {
        return true;
    }
    const quint64 next = std::min<quint64>(changeCount(document) + 1, quint64(kLargestExactCount));
    document.insert(kChangeCountField, double(next));
    return writeDocument(facility, document, error);
}

bool StateStore::write(const QString& facility, const QJsonObject& document, QString& error) {
    if (!m_refusal.isEmpty()) {
        error = m_refusal;
        return false;
    }
    FileLock lock(lockPath(facility));
    if (!lock.isLocked()) {
        error = QStringLiteral("cannot lock %1: %2").arg(lockPath(facility), lock.errorString());
        return false;
    }
    return writeDocument(facility, document, error);
}

// QSaveFile writes a temporary file beside the document, flushes it to disk and renames it over
// the document: the rename is the single moment the new state appears.
bool StateStore::writeDocument(const QString& facility, const QJsonObject& document,
                               QString& error) {
    const QString path = documentPath(facility);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write state file %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(document).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        error = QStringLiteral("cannot write state file %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// The count comes from a file that may have been edited by hand: a negative, fractional or
// out-of-range number (converting such a double to an integer is undefined) reads as 0, and
// the count stops at the largest whole number a JSON double holds exactly.
quint64 StateStore::changeCount(const QJsonObject& document) {
    const double count = document.value(kChangeCountField).toDouble(0);
    if (!(count >= 0)) {
        return 0;
    }
    return static_cast<quint64>(std::min(std::floor(count), kLargestExactCount));
}

void StateStore::replaceKeepingChangeCount(QJsonObject& document, QJsonObject replacement) {
    const QJsonValue count = document.value(kChangeCountField);
    if (!count.isUndefined()) {
        replacement.insert(kChangeCountField, count);
    }
    document = std::move(replacement);
}

void StateStore::appendToRequestLog(QJsonObject& document, const QString& field,
                                    const QJsonValue& entry) {
    QJsonArray log = document.value(field).toArray();
    log.append(entry);
    while (log.size() > kLoggedRequests) {
        log.removeFirst();
    }
    document.insert(field, log);
}

}  // namespace platform::sim
