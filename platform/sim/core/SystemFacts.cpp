#include "platform/sim/core/SystemFacts.h"

#include <QDateTime>
#include <QJsonArray>
#include <QRegularExpression>

#include <array>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim {

namespace {

struct ArchitectureName {
    ProcessorArchitecture architecture;
    const char* name;
};

constexpr std::array<ArchitectureName, 5> kArchitectures{{
    {ProcessorArchitecture::X86, "x86"},
    {ProcessorArchitecture::Amd64, "x64"},
    {ProcessorArchitecture::Arm, "arm"},
    {ProcessorArchitecture::Arm64, "arm64"},
    {ProcessorArchitecture::Ia64, "ia64"},
}};

constexpr double kMaxDword = 4294967295.0;
constexpr double kMaxWord = 65535.0;
const char* kRestartRequestsField = "restartRequests";

bool is64Bit(ProcessorArchitecture architecture) {
    return architecture == ProcessorArchitecture::Amd64 ||
           architecture == ProcessorArchitecture::Arm64 ||
           architecture == ProcessorArchitecture::Ia64;
}

QString architectureName(ProcessorArchitecture architecture) {
    for (const ArchitectureName& entry : kArchitectures) {
        if (entry.architecture == architecture) {
            return QString::fromLatin1(entry.name);
        }
    }
    return QString();
}

bool readArchitecture(const QJsonObject& object, const QString& path,
                      ProcessorArchitecture& architecture, QString& error) {
    QString name;
    if (!json::readString(object, QStringLiteral("architecture"), path, false, name, error)) {
        return false;
    }
    for (const ArchitectureName& entry : kArchitectures) {
        if (name == QLatin1String(entry.name)) {
            architecture = entry.architecture;
            return true;
        }
    }
    error = QStringLiteral("%1: expected x86, x64, arm, arm64 or ia64")
                .arg(json::memberPath(path, QStringLiteral("architecture")));
    return false;
}

bool readVersion(const QJsonObject& object, const QString& path, WindowsVersion& version,
                 QString& error) {
    const QString versionPath = json::memberPath(path, QStringLiteral("version"));
    QJsonObject fields;
    if (!json::readObject(object.value(QStringLiteral("version")), versionPath, fields, error) ||
        !json::rejectUnknownFields(
            fields,
            {QStringLiteral("major"), QStringLiteral("minor"), QStringLiteral("build"),
             QStringLiteral("servicePackMajor"), QStringLiteral("servicePackMinor")},
            versionPath, error)) {
        return false;
    }
    quint64 major = 0, minor = 0, build = 0, spMajor = 0, spMinor = 0;
    if (!json::readUnsigned(fields, QStringLiteral("major"), versionPath, false, kMaxDword, major,
                            error) ||
        !json::readUnsigned(fields, QStringLiteral("minor"), versionPath, false, kMaxDword, minor,
                            error) ||
        !json::readUnsigned(fields, QStringLiteral("build"), versionPath, false, kMaxDword, build,
                            error) ||
        !json::readUnsigned(fields, QStringLiteral("servicePackMajor"), versionPath, true, kMaxWord,
                            spMajor, error) ||
        !json::readUnsigned(fields, QStringLiteral("servicePackMinor"), versionPath, true, kMaxWord,
                            spMinor, error)) {
        return false;
    }
    version = {static_cast<std::uint32_t>(major), static_cast<std::uint32_t>(minor),
               static_cast<std::uint32_t>(build), static_cast<std::uint16_t>(spMajor),
               static_cast<std::uint16_t>(spMinor)};
    return true;
}

// The user name becomes a folder under C:\Users and the computer name a network name: neither
// may hold a path separator or other characters Windows refuses in names.
bool readName(const QJsonObject& object, const QString& key, const QString& path, QString& name,
              QString& error) {
    static const QRegularExpression invalid(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    if (!json::readString(object, key, path, false, name, error)) {
        return false;
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(invalid)) {
        error = QStringLiteral("%1: not a valid name").arg(json::memberPath(path, key));
        return false;
    }
    return true;
}

}  // namespace

bool systemFactsFromJson(const QJsonObject& object, const QString& path, SystemFacts& facts,
                         QString& error) {
    const QStringList known{QStringLiteral("version"),
                            QStringLiteral("architecture"),
                            QStringLiteral("wow64"),
                            QStringLiteral("computerName"),
                            QStringLiteral("userName"),
                            QStringLiteral("uiLanguage"),
                            QStringLiteral("consentToElevation"),
                            QStringLiteral("admin"),
                            QStringLiteral("elevated")};
    quint64 language = facts.uiLanguage;
    if (!json::rejectUnknownFields(object, known, path, error) ||
        !readVersion(object, path, facts.version, error) ||
        !readArchitecture(object, path, facts.architecture, error) ||
        !readName(object, QStringLiteral("computerName"), path, facts.computerName, error) ||
        !readName(object, QStringLiteral("userName"), path, facts.userName, error) ||
        !json::readUnsigned(object, QStringLiteral("uiLanguage"), path, true, kMaxWord, language,
                            error)) {
        return false;
    }
    facts.uiLanguage = static_cast<std::uint16_t>(language);
    // A 32-bit program such as Corvanta runs under WOW64 exactly on 64-bit Windows.
    facts.wow64 = is64Bit(facts.architecture);
    return json::readBool(object, QStringLiteral("wow64"), path, true, facts.wow64, error) &&
           json::readBool(object, QStringLiteral("consentToElevation"), path, true,
                          facts.consentToElevation, error) &&
           json::readBool(object, QStringLiteral("admin"), path, true, facts.admin, error) &&
           json::readBool(object, QStringLiteral("elevated"), path, true, facts.elevated, error);
}

QJsonObject systemFactsToJson(const SystemFacts& facts) {
    const QJsonObject version{{QStringLiteral("major"), double(facts.version.major)},
                              {QStringLiteral("minor"), double(facts.version.minor)},
                              {QStringLiteral("build"), double(facts.version.build)},
                              {QStringLiteral("servicePackMajor"), facts.version.servicePackMajor},
                              {QStringLiteral("servicePackMinor"), facts.version.servicePackMinor}};
    return {{QStringLiteral("version"), version},
            {QStringLiteral("architecture"), architectureName(facts.architecture)},
            {QStringLiteral("wow64"), facts.wow64},
            {QStringLiteral("computerName"), facts.computerName},
            {QStringLiteral("userName"), facts.userName},
            {QStringLiteral("uiLanguage"), facts.uiLanguage},
            {QStringLiteral("consentToElevation"), facts.consentToElevation},
            {QStringLiteral("admin"), facts.admin},
            {QStringLiteral("elevated"), facts.elevated}};
}

bool readSystemFacts(const StateStore& store, SystemFacts& facts, QString& error) {
    QJsonObject document;
    if (!store.read(kSystemFacility, document, error)) {
        return false;
    }
    QJsonObject system;
    if (!json::readObject(document.value(kSystemFacility), kSystemFacility, system, error) ||
        !systemFactsFromJson(system, kSystemFacility, facts, error)) {
        error = QStringLiteral("state file %1: %2").arg(store.documentPath(kSystemFacility), error);
        return false;
    }
    return true;
}

bool recordRestartRequest(StateStore& store, std::uint32_t flags, std::uint32_t reason,
                          QString& error) {
    const QJsonObject request{
        {QStringLiteral("flags"), double(flags)},
        {QStringLiteral("reason"), double(reason)},
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}};
    return store.update(
        kSystemFacility,
        [&request](QJsonObject& document) {
            StateStore::appendToRequestLog(document, QLatin1String(kRestartRequestsField), request);
            return true;
        },
        error);
}

}  // namespace platform::sim
