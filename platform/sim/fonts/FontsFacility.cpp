// The simulated PC's fonts: its own list of installed fonts (never this machine's), the
// profile section "fonts", the font viewer that installs a font file, and `corvanta-sim font`.
//
// State document "fonts": {"changeCount": n, "fonts": [{"fullName": "Arial",
//                          "family": "Arial", "file": "C:\\Windows\\Fonts\\arial.ttf"}]}
// A document without "fonts" (a profile that names none) holds the fonts every Windows PC has.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include "platform/FileSystem.h"
#include "platform/Fonts.h"
#include "platform/Registry.h"
#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/fonts/FontFile.h"

namespace platform::sim {

namespace {

constexpr const char* kFontsFacility = "fonts";
constexpr const char* kFontsKey = "fonts";
constexpr const char* kFullName = "fullName";
constexpr const char* kFamily = "family";
constexpr const char* kFile = "file";
constexpr const wchar_t* kFontsFolder = L"C:\\Windows\\Fonts";
// Where Windows lists the installed font files: "<full name> (TrueType)" = file name.
constexpr const wchar_t* kFontsRegistryKey =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// LOGFONTW.lfFaceName holds 32 characters with the terminating null.
constexpr int kFaceNameLimit = 31;

QJsonObject fontRecord(const QString& fullName, const QString& family, const QString& file) {
    return {{kFullName, fullName}, {kFamily, family}, {kFile, file}};
}

QJsonArray standardFonts() {
    QJsonArray fonts;
    const char* const names[][3] = {
        {"Arial", "Arial", "arial.ttf"},
        {"Arial Bold", "Arial", "arialbd.ttf"},
        {"Courier New", "Courier New", "cour.ttf"},
        {"Times New Roman", "Times New Roman", "times.ttf"},
        {"Segoe UI", "Segoe UI", "segoeui.ttf"},
        {"Microsoft YaHei", "Microsoft YaHei", "msyh.ttc"},
        {"SimSun", "SimSun", "simsun.ttc"},
    };
    for (const auto& font : names) {
        fonts.append(fontRecord(QLatin1String(font[0]), QLatin1String(font[1]),
                                QStringLiteral("C:\\Windows\\Fonts\\") + QLatin1String(font[2])));
    }
    return fonts;
}

QJsonArray fontsOf(const QJsonObject& document) {
    return document.contains(kFontsKey) ? document.value(kFontsKey).toArray() : standardFonts();
}

// "fonts": ["Arial", {"fullName": "Arial Bold", "family": "Arial", "file": "arialbd.ttf"}]
bool parseFontsSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                       QString& error) {
    if (!section.isArray()) {
        error = QStringLiteral("%1: expected a list of fonts").arg(path);
        return false;
    }
    QJsonArray fonts;
    const QJsonArray listed = section.toArray();
    for (int i = 0; i < listed.size(); ++i) {
        const QString where = json::indexPath(path, i);
        if (listed[i].isString()) {
            fonts.append(fontRecord(listed[i].toString(), listed[i].toString(), QString()));
            continue;
        }
        QJsonObject entry;
        QString fullName;
        QString family;
        QString file;
        if (!json::readObject(listed[i], where, entry, error) ||
            !json::rejectUnknownFields(
                entry, {QLatin1String(kFullName), QLatin1String(kFamily), QLatin1String(kFile)},
                where, error) ||
            !json::readString(entry, QLatin1String(kFullName), where, false, fullName, error) ||
            !json::readString(entry, QLatin1String(kFamily), where, true, family, error) ||
            !json::readString(entry, QLatin1String(kFile), where, true, file, error)) {
            return false;
        }
        if (!file.isEmpty() && !file.contains(QLatin1Char('\\'))) {
            file = QString::fromWCharArray(kFontsFolder) + QLatin1Char('\\') + file;
        }
        fonts.append(fontRecord(fullName, family.isEmpty() ? fullName : family, file));
    }
    document.insert(kFontsKey, fonts);
    return true;
}

bool showFonts(const QJsonObject& document, QTextStream& out, QString&) {
    for (const QJsonValue& font : fontsOf(document)) {
        const QJsonObject record = font.toObject();
        out << record.value(kFullName).toString() << " (family " << record.value(kFamily).toString()
            << ")";
        if (!record.value(kFile).toString().isEmpty()) {
            out << ": " << record.value(kFile).toString();
        }
        out << "\n";
    }
    return true;
}

class SimFonts final : public Fonts {
public:
    explicit SimFonts(StateStore& store) : m_store(store) {}

    win32::Error enumFontFamilies(const std::wstring& faceName,
                                  std::vector<InstalledFont>& fonts) override {
        fonts.clear();
        QJsonObject document;
        QString error;
        if (!m_store.read(QLatin1String(kFontsFacility), document, error)) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnreadable;
        }
        const QString wanted = QString::fromStdWString(faceName).left(kFaceNameLimit);
        for (const QJsonValue& font : fontsOf(document)) {
            const QJsonObject record = font.toObject();
            const QString family = record.value(kFamily).toString();
            if (wanted.isEmpty() ||
                family.left(kFaceNameLimit).compare(wanted, Qt::CaseInsensitive) == 0) {
                fonts.push_back(
                    {family.toStdWString(), record.value(kFullName).toString().toStdWString()});
            }
        }
        return win32::kSuccess;
    }

private:
    StateStore& m_store;
};

// The path fontview was given as a file of this machine: a drive path lives in the machine's
// drives; any other path is this machine's, whatever its separators.
QString hostFontPath(SimulatedPc& pc, const QString& path) {
    const bool drive = path.size() >= 2 && path[0].isLetter() && path[1] == QLatin1Char(':');
    if (drive) {
        return QString::fromStdWString(pc.get<FileSystem>().hostPath(path.toStdWString()));
    }
    return QDir::fromNativeSeparators(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

// fontview.exe PATH: the font viewer, whose Install button a person presses. The font's names
// come from the file itself; the file is copied into C:\Windows\Fonts, listed in the registry
// and added to the installed fonts (replacing a font of the same full name).
int runFontview(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    // fontview takes the rest of its command line as the path, blanks and all.
    const QString given = arguments.join(QLatin1Char(' ')).trimmed();
    if (given.isEmpty()) {
        io.err << "fontview: no font file given" << Qt::endl;
        return 1;
    }
    const QString source = hostFontPath(pc, given);
    fonts::FontNames names;
    QString error;
    if (!fonts::readFontNames(source, names, error)) {
        io.err << "fontview: " << error << Qt::endl;
        return 1;
    }
    const QString fileName = QFileInfo(source).fileName();
    const QString windowsFile =
        QString::fromWCharArray(kFontsFolder) + QLatin1Char('\\') + fileName;
    const QString target =
        QString::fromStdWString(pc.get<FileSystem>().hostPath(windowsFile.toStdWString()));
    QDir().mkpath(QFileInfo(target).path());
    QFile::remove(target);
    if (!QFile::copy(source, target)) {
        io.err << "fontview: cannot copy the font to " << windowsFile << Qt::endl;
        return 1;
    }
    reg::writeString(pc.get<Registry>(), RegistryRoot::LocalMachine, kFontsRegistryKey,
                     (names.fullName + QStringLiteral(" (TrueType)")).toStdWString(),
                     fileName.toStdWString());
    const bool saved = pc.machine().store().update(
        QLatin1String(kFontsFacility),
        [&](QJsonObject& document) {
            QJsonArray fonts;
            for (const QJsonValue& font : fontsOf(document)) {
                if (font.toObject().value(kFullName).toString() != names.fullName) {
                    fonts.append(font);
                }
            }
            fonts.append(fontRecord(names.fullName, names.family, windowsFile));
            document.insert(kFontsKey, fonts);
            return true;
        },
        error);
    if (!saved) {
        io.err << "fontview: " << error << Qt::endl;
        return 1;
    }
    io.out << "fontview: installed " << names.fullName << Qt::endl;
    return 0;
}

int runFontVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    if (action == QLatin1String("list") && arguments.size() == 1) {
        QJsonObject document;
        QString error;
        if (!pc.machine().store().read(QLatin1String(kFontsFacility), document, error)) {
            return toolFailure(io, error);
        }
        showFonts(document, io.out, error);
        return 0;
    }
    if (action != QLatin1String("remove") || arguments.size() != 2) {
        return toolFailure(io, QStringLiteral("usage: font list | font remove FULL-NAME"));
    }
    const QString fullName = arguments[1];
    bool found = false;
    QString error;
    const bool saved = pc.machine().store().update(
        QLatin1String(kFontsFacility),
        [&](QJsonObject& document) {
            QJsonArray fonts;
            for (const QJsonValue& font : fontsOf(document)) {
                const bool match = font.toObject().value(kFullName).toString() == fullName;
                found = found || match;
                if (!match) {
                    fonts.append(font);
                }
            }
            document.insert(kFontsKey, fonts);
            return found;
        },
        error);
    if (!saved) {
        return toolFailure(io, error);
    }
    if (!found) {
        return toolFailure(io, QStringLiteral("no installed font is named %1").arg(fullName));
    }
    if (auto key = std::unique_ptr<RegistryKey>();
        pc.get<Registry>().openKey(RegistryRoot::LocalMachine, kFontsRegistryKey, kKeyAllAccess,
                                   key) == win32::kSuccess) {
        key->deleteValue((fullName + QStringLiteral(" (TrueType)")).toStdWString());
    }
    return 0;
}

void buildFonts(SimulatedPc& pc) {
    pc.provide<Fonts>(std::make_unique<SimFonts>(pc.machine().store()));
}

}  // namespace

FacilityDescription describeFontsFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kFontsFacility);
    facility.profileSections = {
        {QLatin1String(kFontsFacility), QLatin1String(kFontsFacility), false, parseFontsSection}};
    facility.show = showFonts;
    facility.verbs = {
        {"font",
         "font list                  the installed fonts of the PC by full name\n"
         "font remove FULL-NAME      uninstall a font",
         runFontVerb},
    };
    facility.programs = {{"fontview", runFontview}};
    facility.build = buildFonts;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Fonts& fonts() {
    return sim::processPc().get<Fonts>();
}

}  // namespace platform
