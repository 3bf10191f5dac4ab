#include <QJsonArray>

#include "JsonCheck.h"
#include "Profile.h"
#include "RegistryDocument.h"
#include "SystemFacts.h"
#include "spooler/PrintersProfileSection.h"
#include "wmi/WmiProfileSection.h"

namespace platform::sim {

namespace {

bool parseSystemSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                        QString& error) {
    QJsonObject object;
    SystemFacts facts;
    if (!json::readObject(section, path, object, error) ||
        !systemFactsFromJson(object, path, facts, error)) {
        return false;
    }
    document.insert(QLatin1String(kSystemFacility), systemFactsToJson(facts));
    document.insert(QStringLiteral("restartRequests"), QJsonArray());
    return true;
}

ProfileSection systemProfileSection() {
    return {QLatin1String(kSystemFacility), QLatin1String(kSystemFacility), true,
            parseSystemSection};
}

}  // namespace

// Facilities add their sections here; a profile with a section not listed is refused.
std::vector<ProfileSection> profileSections() {
    return {
        systemProfileSection(),
        registryProfileSection(),
        registryAccessProfileSection(),
        spooler::printersProfileSection(),
        wmiProfileSection(),
    };
}

}  // namespace platform::sim
