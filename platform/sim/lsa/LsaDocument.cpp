#include "platform/sim/lsa/LsaDocument.h"

#include <QJsonArray>
#include <QRegularExpression>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::lsa {

namespace {

const QLatin1String kMachineSid("machineSid");
const QLatin1String kRights("rights");

// The account rights and privileges of Windows 10 (ntsecapi.h, winnt.h SE_*_NAME).
const char* const kRightNames[] = {
    "SeNetworkLogonRight",
    "SeDenyNetworkLogonRight",
    "SeInteractiveLogonRight",
    "SeDenyInteractiveLogonRight",
    "SeRemoteInteractiveLogonRight",
    "SeDenyRemoteInteractiveLogonRight",
    "SeBatchLogonRight",
    "SeDenyBatchLogonRight",
    "SeServiceLogonRight",
    "SeDenyServiceLogonRight",
    "SeAssignPrimaryTokenPrivilege",
    "SeAuditPrivilege",
    "SeBackupPrivilege",
    "SeChangeNotifyPrivilege",
    "SeCreateGlobalPrivilege",
    "SeCreatePagefilePrivilege",
    "SeCreateSymbolicLinkPrivilege",
    "SeDebugPrivilege",
    "SeImpersonatePrivilege",
    "SeIncreaseBasePriorityPrivilege",
    "SeIncreaseQuotaPrivilege",
    "SeIncreaseWorkingSetPrivilege",
    "SeLoadDriverPrivilege",
    "SeManageVolumePrivilege",
    "SeProfileSingleProcessPrivilege",
    "SeRemoteShutdownPrivilege",
    "SeRestorePrivilege",
    "SeSecurityPrivilege",
    "SeShutdownPrivilege",
    "SeSystemEnvironmentPrivilege",
    "SeSystemProfilePrivilege",
    "SeSystemtimePrivilege",
    "SeTakeOwnershipPrivilege",
    "SeTimeZonePrivilege",
    "SeUndockPrivilege",
};

}  // namespace

bool isSidString(const QString& text) {
    static const QRegularExpression sid(QStringLiteral("^S-1(-\\d+)+$"),
                                        QRegularExpression::CaseInsensitiveOption);
    return sid.match(text).hasMatch();
}

QString knownRightName(const QString& name) {
    for (const char* right : kRightNames) {
        if (name.compare(QLatin1String(right), Qt::CaseInsensitive) == 0) {
            return QLatin1String(right);
        }
    }
    return QString();
}

bool readLsaState(const QJsonObject& object, const QString& path, LsaState& state, QString& error) {
    state = LsaState();
    state.machineSid = QStringLiteral("S-1-5-21-1004336348-1177238915-682003330");
    if (!json::rejectUnknownFields(
            object, {kMachineSid, kRights, QLatin1String(StateStore::kChangeCountField)}, path,
            error) ||
        !json::readString(object, kMachineSid, path, true, state.machineSid, error)) {
        return false;
    }
    if (!isSidString(state.machineSid)) {
        error = QStringLiteral("%1 must be a SID").arg(json::memberPath(path, kMachineSid));
        return false;
    }
    const QString rightsPath = json::memberPath(path, kRights);
    const QJsonValue rights = object.value(kRights);
    if (rights.isUndefined()) {
        return true;
    }
    if (!rights.isObject()) {
        error = QStringLiteral("%1: expected an object").arg(rightsPath);
        return false;
    }
    const QJsonObject table = rights.toObject();
    for (auto it = table.begin(); it != table.end(); ++it) {
        const QString rightPath = json::memberPath(rightsPath, it.key());
        const QString name = knownRightName(it.key());
        if (name.isEmpty()) {
            error = QStringLiteral("%1: no such user right").arg(rightPath);
            return false;
        }
        if (!it.value().isArray()) {
            error = QStringLiteral("%1 must be a list of accounts").arg(rightPath);
            return false;
        }
        QStringList accounts;
        const QJsonArray list = it.value().toArray();
        for (int i = 0; i < list.size(); ++i) {
            if (!list.at(i).isString() || list.at(i).toString().isEmpty()) {
                error = QStringLiteral("%1 must be an account name or SID")
                            .arg(json::indexPath(rightPath, i));
                return false;
            }
            accounts << list.at(i).toString();
        }
        state.rights.insert(name, accounts);
    }
    return true;
}

QJsonObject lsaStateJson(const LsaState& state) {
    QJsonObject rights;
    for (auto it = state.rights.begin(); it != state.rights.end(); ++it) {
        rights.insert(it.key(), QJsonArray::fromStringList(it.value()));
    }
    return {{kMachineSid, state.machineSid}, {kRights, rights}};
}

}  // namespace platform::sim::lsa
