#include "platform/sim/core/Profile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include "Facility.h"
#include "platform/sim/core/JsonCheck.h"

// Resources of a static library are registered by hand; Q_INIT_RESOURCE must be called from the
// global namespace.
static void initBundledProfiles() {
    Q_INIT_RESOURCE(corvanta_sim_profiles);
}

namespace platform::sim {

namespace {

const char* kBundledFolder = ":/corvanta/profiles";
const char* kDescriptionField = "description";

QString bundledPath(const QString& name) {
    return QStringLiteral("%1/%2.json").arg(QLatin1String(kBundledFolder), name);
}

bool rejectUnknownSections(const QJsonObject& root, const std::vector<ProfileSection>& sections,
                           QString& error) {
    QStringList known{QLatin1String(kDescriptionField)};
    for (const ProfileSection& section : sections) {
        known << section.name;
    }
    return json::rejectUnknownFields(root, known, QString(), error);
}

// The system section has been checked by its parser; this keeps its facts at hand for seeding.
bool readProfileSystem(Profile& profile, QString& error) {
    const QJsonObject system =
        profile.documents.value(kSystemFacility).value(kSystemFacility).toObject();
    return systemFactsFromJson(system, kSystemFacility, profile.system, error);
}

bool parseSections(const QJsonObject& root, const Facilities& facilities, Profile& profile,
                   QString& error) {
    const std::vector<ProfileSection> sections = profileSections(facilities);
    if (!rejectUnknownSections(root, sections, error) ||
        !json::readString(root, QLatin1String(kDescriptionField), QString(), true,
                          profile.description, error)) {
        return false;
    }
    for (const ProfileSection& section : sections) {
        if (!root.contains(section.name)) {
            if (section.required) {
                error = QStringLiteral("missing section %1").arg(section.name);
                return false;
            }
            continue;
        }
        QJsonObject& document = profile.documents[section.facility];
        if (!section.parse(root.value(section.name), section.name, document, error)) {
            return false;
        }
    }
    return readProfileSystem(profile, error);
}

}  // namespace

std::vector<ProfileSection> profileSections(const Facilities& facilities) {
    std::vector<ProfileSection> sections;
    for (const FacilityDescription& facility : facilities) {
        sections.insert(sections.end(), facility.profileSections.begin(),
                        facility.profileSections.end());
    }
    return sections;
}

QStringList bundledProfileNames() {
    initBundledProfiles();
    QStringList names;
    for (const QString& file :
         QDir(QLatin1String(kBundledFolder)).entryList({QStringLiteral("*.json")}, QDir::Files)) {
        names << file.chopped(QStringLiteral(".json").size());
    }
    return names;
}

bool loadProfile(const QString& nameOrFile, const Facilities& facilities, Profile& profile,
                 QString& error) {
    const bool bundled = bundledProfileNames().contains(nameOrFile);
    QFile file(bundled ? bundledPath(nameOrFile) : nameOrFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("profile %1: cannot read it: %2 (bundled profiles: %3)")
                    .arg(nameOrFile, file.errorString(), bundledProfileNames().join(", "));
        return false;
    }
    return parseProfile(file.readAll(), bundled ? nameOrFile : file.fileName(), facilities, profile,
                        error);
}

bool parseProfile(const QByteArray& text, const QString& source, const Facilities& facilities,
                  Profile& profile, QString& error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("profile %1:%2: %3")
                    .arg(source, json::lineAndColumn(text, parseError.offset),
                         parseError.errorString());
        return false;
    }
    if (!document.isObject()) {
        error = QStringLiteral("profile %1: expected a JSON object").arg(source);
        return false;
    }
    profile = Profile();
    profile.source = source;
    if (!parseSections(document.object(), facilities, profile, error)) {
        error = QStringLiteral("profile %1: %2").arg(source, error);
        return false;
    }
    return true;
}

}  // namespace platform::sim
