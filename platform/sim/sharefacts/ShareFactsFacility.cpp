// corvanta-sim sharing show: what the PC's facilities say about the settings printer sharing
// needs, one line each, read through the same interfaces the program uses. It keeps no state of
// its own.
#include <QTextStream>

#include "platform/Firewall.h"
#include "platform/LocalUsers.h"
#include "platform/Lsa.h"
#include "platform/NetworkConfig.h"
#include "platform/NetworkList.h"
#include "platform/Registry.h"
#include "platform/Wmi.h"
#include "platform/sim/core/SimulatedPc.h"

namespace platform::sim {

namespace {

struct PolicyValue {
    const wchar_t* key;
    const wchar_t* name;
};

const wchar_t kRpcKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\RPC";

// "HKLM\\...\\Name = 1", "(missing)" or the type it has instead of REG_DWORD.
QString policyLine(Registry& registry, const PolicyValue& value) {
    std::uint32_t number = 0;
    const win32::Error error =
        reg::readDword(registry, RegistryRoot::LocalMachine, value.key, value.name, number);
    QString text;
    if (error == win32::kSuccess) {
        text = QString::number(number);
    } else if (error == win32::kFileNotFound) {
        text = QStringLiteral("(missing)");
    } else {
        text = QStringLiteral("(unreadable: error %1)").arg(error);
    }
    return QString::fromWCharArray(value.name) + QStringLiteral(" = ") + text;
}

QString holdersLine(Lsa& lsa, const wchar_t* right) {
    std::unique_ptr<LsaPolicy> policy;
    std::vector<SidString> sids;
    QString line = QString::fromWCharArray(right) + QStringLiteral(": ");
    const lsaapi::NtStatus status =
        lsa.openPolicy(lsaapi::kPolicyLookupNames | lsaapi::kPolicyViewLocalInformation, policy);
    if (status != lsaapi::kStatusSuccess) {
        return line + QStringLiteral("(error %1)").arg(lsaapi::ntStatusToWinError(status));
    }
    policy->accountsWithRight(right, sids);
    QStringList names;
    for (const SidString& sid : sids) {
        AccountName account;
        names << (lsa.lookupSid(sid, account) == win32::kSuccess
                      ? QString::fromStdWString(account.domain + L"\\" + account.name)
                      : QString::fromStdWString(sid));
    }
    return line + (names.isEmpty() ? QStringLiteral("(nobody)") : names.join(QStringLiteral(", ")));
}

QString multicastLine(NetworkConfig& config) {
    std::unique_ptr<NetCfgSession> session;
    std::vector<NetComponent> protocols;
    config.create(session);
    session->initialize();
    session->components(netcfg::ComponentClass::Protocol, protocols);
    session->uninitialize();
    for (const NetComponent& component : protocols) {
        if (component.id == L"ms_rmcast") {
            return QStringLiteral("ms_rmcast: installed");
        }
    }
    return QStringLiteral("ms_rmcast: not installed");
}

QString networksLine(NetworkList& list) {
    std::vector<NetworkInfo> networks;
    list.networks(true, networks);
    QStringList names;
    for (const NetworkInfo& network : networks) {
        names << QString::fromStdWString(network.name) +
                     (network.category == networks::kCategoryPublic    ? QStringLiteral(" public")
                      : network.category == networks::kCategoryPrivate ? QStringLiteral(" private")
                                                                       : QStringLiteral(" domain"));
    }
    return QStringLiteral("connected networks: ") +
           (names.isEmpty() ? QStringLiteral("(none)") : names.join(QStringLiteral(", ")));
}

QString firewallLine(Firewall& firewall) {
    std::unique_ptr<FirewallPolicy> policy;
    firewall.openPolicy(policy);
    QStringList groups;
    for (const wchar_t* group : {L"文件和打印机共享", L"网络发现"}) {
        bool enabled = false;
        const HResult result = policy->isRuleGroupEnabled(fw::kProfilePrivate, group, enabled);
        groups << QString::fromWCharArray(group) +
                      (result == kSFalse ? QStringLiteral(" missing")
                       : failed(result)  ? QStringLiteral(" error 0x%1").arg(quint32(result), 0, 16)
                       : enabled         ? QStringLiteral(" on")
                                         : QStringLiteral(" off"));
    }
    return QStringLiteral("firewall groups on the private profile: ") +
           groups.join(QStringLiteral(", "));
}

QString smb1Line(Wmi& wmi) {
    std::unique_ptr<WmiService> service;
    std::unique_ptr<WmiEnumerator> objects;
    std::unique_ptr<WmiObject> object;
    int stage = 0;
    QString state = QStringLiteral("(not found)");
    if (!failed(wmi.connect(L"ROOT\\CIMV2", service, stage)) &&
        !failed(service->execQuery(
            L"SELECT * FROM Win32_OptionalFeature WHERE Name = 'SMB1Protocol'", objects))) {
        while (objects->next(object) == kSOk && object) {
            WmiValue value;
            object->get(L"InstallState", value);
            state = value.type == WmiValue::Type::Int32 ? QString::number(value.number)
                                                        : QStringLiteral("(no number)");
        }
    }
    return QStringLiteral("SMB1Protocol InstallState = ") + state +
           QStringLiteral(" (1 enabled, 2 disabled, 3 absent)");
}

QString guestLine(LocalUsers& users) {
    UserInfo1 info;
    if (users.getInfo1(L"Guest", info) != win32::kSuccess) {
        return QStringLiteral("Guest: no such account");
    }
    return QStringLiteral("Guest: %1 (flags 0x%2)")
        .arg((info.flags & users::kAccountDisable) ? QStringLiteral("disabled")
                                                   : QStringLiteral("enabled"))
        .arg(info.flags, 0, 16);
}

int runSharingVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    if (arguments != QStringList{QStringLiteral("show")}) {
        return toolFailure(io, QStringLiteral("use sharing show"));
    }
    Registry& registry = pc.get<Registry>();
    QTextStream& out = io.out;
    out << "0 "
        << policyLine(registry, {L"Software\\Policies\\Microsoft\\Windows\\LanmanWorkstation",
                                 L"AllowInsecureGuestAuth"})
        << '\n';
    out << "1 "
        << policyLine(registry,
                      {L"System\\CurrentControlSet\\Control\\Lsa", L"LmCompatibilityLevel"})
        << '\n';
    out << "2 " << multicastLine(pc.get<NetworkConfig>()) << '\n';
    out << "3 " << policyLine(registry, {kRpcKey, L"RpcUseNamedPipeProtocol"}) << ", "
        << policyLine(registry, {kRpcKey, L"RpcProtocols"}) << ", "
        << policyLine(registry, {kRpcKey, L"ForceKerberosForRpc"}) << ", "
        << policyLine(registry, {L"System\\CurrentControlSet\\Control\\Print",
                                 L"RpcAuthnLevelPrivacyEnabled"})
        << '\n';
    out << "4 " << holdersLine(pc.get<Lsa>(), L"SeNetworkLogonRight") << '\n';
    out << "5 " << holdersLine(pc.get<Lsa>(), L"SeDenyNetworkLogonRight") << '\n';
    out << "6 " << policyLine(registry, {L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"forceguest"})
        << '\n';
    out << "7 " << networksLine(pc.get<NetworkList>()) << '\n';
    out << "8 " << firewallLine(pc.get<Firewall>()) << '\n';
    out << "9 " << smb1Line(pc.get<Wmi>()) << '\n';
    out << "10 " << guestLine(pc.get<LocalUsers>()) << '\n';
    out.flush();
    return 0;
}

}  // namespace

FacilityDescription describeSharefactsFacility() {
    FacilityDescription facility;
    facility.name = QStringLiteral("sharefacts");
    facility.verbs = {
        {"sharing",
         "sharing show               the settings behind the eleven printer-sharing checks",
         runSharingVerb},
    };
    return facility;
}

}  // namespace platform::sim
