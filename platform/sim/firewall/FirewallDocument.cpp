#include "platform/sim/firewall/FirewallDocument.h"

#include <QJsonArray>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::firewall {

namespace {

namespace key {
const QLatin1String kServiceRunning("serviceRunning");
const QLatin1String kCurrentProfiles("currentProfiles");
const QLatin1String kGroups("groups");
const QLatin1String kName("name");
const QLatin1String kIndirect("indirect");
const QLatin1String kEnabled("enabled");
}  // namespace key

struct ProfileName {
    const char* name;
    ProfileTypes bit;
};
constexpr ProfileName kProfileNames[] = {
    {"domain", platform::fw::kProfileDomain},
    {"private", platform::fw::kProfilePrivate},
    {"public", platform::fw::kProfilePublic},
};

// Optional lists keep `types` when missing.
bool readProfileList(const QJsonObject& object, const QString& name, const QString& path,
                     bool optional, ProfileTypes& types, QString& error) {
    const QString listPath = json::memberPath(path, name);
    const QJsonValue value = object.value(name);
    if (optional && value.isUndefined()) {
        return true;
    }
    if (!value.isArray()) {
        error =
            QStringLiteral("%1 must be a list of profiles (domain, private, public)").arg(listPath);
        return false;
    }
    types = 0;
    const QJsonArray list = value.toArray();
    for (int i = 0; i < list.size(); ++i) {
        const ProfileTypes bit = profileTypeByName(list.at(i).toString());
        if (bit == 0) {
            error = QStringLiteral("%1 must be domain, private or public")
                        .arg(json::indexPath(listPath, i));
            return false;
        }
        types |= bit;
    }
    return true;
}

QJsonArray profileList(ProfileTypes types) {
    QJsonArray list;
    for (const ProfileName& entry : kProfileNames) {
        if (types & entry.bit) {
            list.append(QLatin1String(entry.name));
        }
    }
    return list;
}

bool readGroup(const QJsonValue& value, const QString& path, RuleGroup& group, QString& error) {
    QJsonObject object;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, {key::kName, key::kIndirect, key::kEnabled}, path,
                                   error) ||
        !json::readString(object, key::kName, path, false, group.name, error) ||
        !json::readString(object, key::kIndirect, path, true, group.indirect, error) ||
        !readProfileList(object, key::kEnabled, path, false, group.enabled, error)) {
        return false;
    }
    if (group.name.isEmpty()) {
        error = QStringLiteral("%1 must not be empty").arg(json::memberPath(path, key::kName));
        return false;
    }
    return true;
}

}  // namespace

RuleGroup* FirewallState::group(const QString& name) {
    for (RuleGroup& entry : groups) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0 ||
            (!entry.indirect.isEmpty() && entry.indirect.compare(name, Qt::CaseInsensitive) == 0)) {
            return &entry;
        }
    }
    return nullptr;
}

bool readFirewallState(const QJsonObject& object, const QString& path, FirewallState& state,
                       QString& error) {
    state = FirewallState();
    if (!json::rejectUnknownFields(object,
                                   {key::kServiceRunning, key::kCurrentProfiles, key::kGroups,
                                    QLatin1String(StateStore::kChangeCountField)},
                                   path, error) ||
        !json::readBool(object, key::kServiceRunning, path, true, state.serviceRunning, error) ||
        !readProfileList(object, key::kCurrentProfiles, path, true, state.currentProfiles, error)) {
        return false;
    }
    const QString groupsPath = json::memberPath(path, key::kGroups);
    const QJsonValue groups = object.value(key::kGroups);
    if (groups.isUndefined()) {
        return true;
    }
    if (!groups.isArray()) {
        error = QStringLiteral("%1 must be a list of rule groups").arg(groupsPath);
        return false;
    }
    const QJsonArray list = groups.toArray();
    for (int i = 0; i < list.size(); ++i) {
        RuleGroup group;
        const QString groupPath = json::indexPath(groupsPath, i);
        if (!readGroup(list.at(i), groupPath, group, error)) {
            return false;
        }
        if (state.group(group.name) != nullptr) {
            error = QStringLiteral("%1: a second group named %2").arg(groupPath, group.name);
            return false;
        }
        state.groups.push_back(group);
    }
    return true;
}

QJsonObject firewallStateJson(const FirewallState& state) {
    QJsonArray groups;
    for (const RuleGroup& group : state.groups) {
        QJsonObject entry{{key::kName, group.name}, {key::kEnabled, profileList(group.enabled)}};
        if (!group.indirect.isEmpty()) {
            entry.insert(key::kIndirect, group.indirect);
        }
        groups.append(entry);
    }
    return {{key::kServiceRunning, state.serviceRunning},
            {key::kCurrentProfiles, profileList(state.currentProfiles)},
            {key::kGroups, groups}};
}

ProfileTypes profileTypeByName(const QString& name) {
    for (const ProfileName& entry : kProfileNames) {
        if (name == QLatin1String(entry.name)) {
            return entry.bit;
        }
    }
    return 0;
}

QString profileTypeNames(ProfileTypes types) {
    QStringList names;
    for (const ProfileName& entry : kProfileNames) {
        if (types & entry.bit) {
            names << QLatin1String(entry.name);
        }
    }
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

}  // namespace platform::sim::firewall
