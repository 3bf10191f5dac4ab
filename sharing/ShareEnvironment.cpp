#include "sharing/ShareEnvironment.h"

#include <iostream>
#include <memory>
#include <sstream>

#include "platform/Firewall.h"
#include "platform/LocalUsers.h"
#include "platform/Lsa.h"
#include "platform/NetworkConfig.h"
#include "platform/NetworkList.h"
#include "platform/SystemInfo.h"
#include "platform/Wmi.h"
#include "sharing/ShareProcesses.h"

namespace sharing {

namespace {

using platform::HResult;
using platform::RegistryRoot;
namespace win32 = platform::win32;

// The rule groups for sharing, as a Chinese-language Windows names them (File and Printer
// Sharing, Network Discovery); the firewall compares them.
const std::wstring kSharingGroup = L"文件和打印机共享";
const std::wstring kDiscoveryGroup = L"网络发现";

const std::wstring kNetworkLogonRight = L"SeNetworkLogonRight";
const std::wstring kDenyNetworkLogonRight = L"SeDenyNetworkLogonRight";
const std::wstring kGuestAccount = L"Guest";
// An account name containing this is the Guest account (or BUILTIN\Guests: a plain substring
// test, as the checks have always made it).
const std::wstring kGuestMarker = L"\\Guest";

const std::wstring kReliableMulticastId = L"ms_rmcast";
constexpr std::uint32_t kNetCfgLockTimeoutMs = 5000;
const std::wstring kNetCfgClient = L"Corvanta";

const std::wstring kSmb1Query = L"SELECT * FROM Win32_OptionalFeature WHERE Name = 'SMB1Protocol'";
const std::wstring kEnableSmb1Command =
    L"powershell.exe -NonInteractive Enable-WindowsOptionalFeature -Online -FeatureName "
    L"SMB1Protocol";
constexpr std::int32_t kInstallStateEnabled = 1;

// USER_INFO_1008 flags that enable the Guest account: UF_SCRIPT | UF_DONT_EXPIRE_PASSWD.
constexpr std::uint32_t kGuestEnabledFlags =
    platform::users::kScript | platform::users::kDontExpirePassword;

// The first row of the print RPC policies (rows 2 to 5, bits 0 to 3 of item 3).
constexpr int kFirstRpcRow = 2;
constexpr int kRpcRowCount = 4;

constexpr int kInsecureGuestAuthRow = 0;
constexpr int kLmCompatibilityRow = 1;
constexpr int kForceGuestRow = 6;

const ShareResults kGoodValues{1, 1, 3, 15, 1, 0, 1, 1, 3, 1, 0};

void reportError(const char* text, unsigned long code) {
    std::cerr << text << code << std::endl;
}

void reportHResult(const char* text, HResult result) {
    std::ostringstream line;
    line << text << std::hex << static_cast<std::uint32_t>(result);
    std::cerr << line.str() << std::endl;
}

}  // namespace

ShareEnvironment::ShareEnvironment()
    : m_rows{{
          {RegistryRoot::LocalMachine, L"Software\\Policies\\Microsoft\\Windows\\LanmanWorkstation",
           L"AllowInsecureGuestAuth", 1},
          {RegistryRoot::LocalMachine, L"System\\CurrentControlSet\\Control\\Lsa",
           L"LmCompatibilityLevel", 1},
          {RegistryRoot::LocalMachine, L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\RPC",
           L"RpcUseNamedPipeProtocol", 1},
          {RegistryRoot::LocalMachine, L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\RPC",
           L"RpcProtocols", 7},
          {RegistryRoot::LocalMachine, L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\RPC",
           L"ForceKerberosForRpc", 1},
          {RegistryRoot::LocalMachine, L"System\\CurrentControlSet\\Control\\Print",
           L"RpcAuthnLevelPrivacyEnabled", 0},
          {RegistryRoot::LocalMachine, L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"forceguest",
           0},
      }} {}

const ShareEnvironment& ShareEnvironment::instance() {
    static const ShareEnvironment environment;
    return environment;
}

const ShareResults& ShareEnvironment::goodValues() {
    return kGoodValues;
}

bool ShareEnvironment::isWindows8OrLater() {
    return platform::systemInfo().version().isAtLeast(6, 2, 0);
}

bool ShareEnvironment::isSkippedBeforeWindows8(int index) {
    return index == kInsecureGuestAuth || index == kPrintRpcPolicy || index == kSmb1Protocol;
}

std::int32_t ShareEnvironment::valueBeforeWindows8(int index) {
    return index == kPrintRpcPolicy ? 15 : 1;
}

std::int32_t ShareEnvironment::queryItem(int index) const {
    if (isSkippedBeforeWindows8(index) && !isWindows8OrLater()) {
        return valueBeforeWindows8(index);
    }
    return check(index);
}

ShareResults ShareEnvironment::queryAll() const {
    ShareResults results{};
    for (int index = 0; index < kShareItemCount; ++index) {
        results[index] = queryItem(index);
    }
    return results;
}

bool ShareEnvironment::needsRestart() const {
    // All four run, in this order, whatever the first ones answer.
    const bool guestAuth = check(kInsecureGuestAuth) == 1;
    const bool lmLevel = check(kLmCompatibility) == 1;
    const bool rpcPolicy = check(kPrintRpcPolicy) == 15;
    const bool smb1 = check(kSmb1Protocol) == 1;
    return !(guestAuth && lmLevel && rpcPolicy && smb1);
}

std::int32_t ShareEnvironment::check(int index) const {
    switch (index) {
        case kInsecureGuestAuth:
            return readPolicyValue(m_rows[kInsecureGuestAuthRow]) ? 1 : 0;
        case kLmCompatibility:
            return readPolicyValue(m_rows[kLmCompatibilityRow]) ? 1 : 0;
        case kReliableMulticast:
            return checkReliableMulticast();
        case kPrintRpcPolicy:
            return checkPrintRpcPolicy();
        case kGuestNetworkLogon:
            return checkGuestRight(kNetworkLogonRight);
        case kGuestNetworkLogonDeny:
            return checkGuestRight(kDenyNetworkLogonRight);
        case kForceGuestOff:
            return readPolicyValue(m_rows[kForceGuestRow]) ? 1 : 0;
        case kPrivateNetworkCategory:
            return checkNetworkCategory();
        case kFirewallSharingGroups:
            return checkFirewallGroups();
        case kSmb1Protocol:
            return isSmb1Enabled() ? 1 : 0;
        case kGuestAccountDisabled:
            return checkGuestDisabled();
        default:
            return 0;
    }
}

void ShareEnvironment::repair(int index) const {
    switch (index) {
        case kInsecureGuestAuth:
            writePolicyValue(m_rows[kInsecureGuestAuthRow]);
            break;
        case kLmCompatibility:
            writePolicyValue(m_rows[kLmCompatibilityRow]);
            break;
        case kReliableMulticast:
            installReliableMulticast();
            break;
        case kPrintRpcPolicy:
            for (int row = kFirstRpcRow; row < kFirstRpcRow + kRpcRowCount; ++row) {
                writePolicyValue(m_rows[row]);
            }
            break;
        case kGuestNetworkLogon:
            setGuestRight(kNetworkLogonRight, true);
            break;
        case kGuestNetworkLogonDeny:
            setGuestRight(kDenyNetworkLogonRight, false);
            break;
        case kForceGuestOff:
            writePolicyValue(m_rows[kForceGuestRow]);
            break;
        case kPrivateNetworkCategory:
            setPublicNetworksPrivate();
            break;
        case kFirewallSharingGroups:
            enableFirewallGroups();
            break;
        case kSmb1Protocol:
            enableSmb1();
            break;
        case kGuestAccountDisabled:
            enableGuest();
            break;
        default:
            break;
    }
}

bool ShareEnvironment::readPolicyValue(const RegistryPolicyValue& row) const {
    std::unique_ptr<platform::RegistryKey> key;
    if (platform::registry().openKey(row.root, row.subkey, platform::kKeyRead, key) !=
        win32::kSuccess) {
        return false;
    }
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (key->queryValue(row.valueName, &type, nullptr, &size) != win32::kSuccess) {
        return false;
    }
    std::vector<std::uint8_t> data(size);
    if (key->queryValue(row.valueName, &type, data.data(), &size) != win32::kSuccess ||
        type != platform::kRegDword || size < sizeof(std::uint32_t)) {
        return false;
    }
    const std::uint32_t value = std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) |
                                (std::uint32_t(data[2]) << 16) | (std::uint32_t(data[3]) << 24);
    return value == row.expected;
}

void ShareEnvironment::writePolicyValue(const RegistryPolicyValue& row) const {
    std::unique_ptr<platform::RegistryKey> key;
    if (platform::registry().createKey(row.root, row.subkey, platform::kKeyAllAccess, key) !=
        win32::kSuccess) {
        return;
    }
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(row.expected),
                                  static_cast<std::uint8_t>(row.expected >> 8),
                                  static_cast<std::uint8_t>(row.expected >> 16),
                                  static_cast<std::uint8_t>(row.expected >> 24)};
    key->setValue(row.valueName, platform::kRegDword, data, sizeof data);
}

std::int32_t ShareEnvironment::checkPrintRpcPolicy() const {
    std::int32_t bits = 0;
    for (int bit = 0; bit < kRpcRowCount; ++bit) {
        if (readPolicyValue(m_rows[kFirstRpcRow + bit])) {
            bits |= 1 << bit;
        }
    }
    return bits;
}

std::vector<std::wstring> ShareEnvironment::accountsWithRight(const std::wstring& right) const {
    using namespace platform::lsaapi;
    std::vector<std::wstring> names;
    platform::Lsa& lsa = platform::lsa();
    std::unique_ptr<platform::LsaPolicy> policy;
    // The enumeration needs lookup-names access as well as view-local-information access.
    NtStatus status = lsa.openPolicy(kPolicyViewLocalInformation | kPolicyLookupNames, policy);
    if (status != kStatusSuccess) {
        reportError("LsaOpenPolicy failed with error: ", ntStatusToWinError(status));
        return names;
    }
    std::vector<platform::SidString> sids;
    status = policy->accountsWithRight(right, sids);
    if (status != kStatusSuccess) {
        const win32::Error error = ntStatusToWinError(status);
        if (error != win32::kNoMoreItems) {
            reportError("LsaEnumerateAccountsWithUserRight failed with error: ", error);
        }
        return names;
    }
    for (const platform::SidString& sid : sids) {
        platform::AccountName account;
        if (lsa.lookupSid(sid, account) == win32::kSuccess) {
            names.push_back(account.domain + L"\\" + account.name);
        }
    }
    return names;
}

std::int32_t ShareEnvironment::checkGuestRight(const std::wstring& right) const {
    for (const std::wstring& account : accountsWithRight(right)) {
        if (account.find(kGuestMarker) != std::wstring::npos) {
            return 1;
        }
    }
    return 0;
}

void ShareEnvironment::setGuestRight(const std::wstring& right, bool add) const {
    using namespace platform::lsaapi;
    platform::Lsa& lsa = platform::lsa();
    std::unique_ptr<platform::LsaPolicy> policy;
    NtStatus status = lsa.openPolicy(kPolicyAllAccess, policy);
    if (status != kStatusSuccess) {
        reportError("LsaOpenPolicy failed with error: ", ntStatusToWinError(status));
        return;
    }
    platform::SidString sid;
    platform::AccountName account;
    if (const win32::Error error = lsa.lookupName(kGuestAccount, sid, account)) {
        reportError("LookupAccountName failed with error: ", error);
        return;
    }
    status = add ? policy->addRight(sid, right) : policy->removeRight(sid, right);
    if (status != kStatusSuccess) {
        // One text for both directions, as the repair has always reported it.
        reportError("LsaAddAccountRights failed with error: ", ntStatusToWinError(status));
    }
}

std::int32_t ShareEnvironment::checkReliableMulticast() const {
    using platform::netcfg::ComponentClass;
    std::unique_ptr<platform::NetCfgSession> session;
    if (platform::failed(platform::networkConfig().create(session))) {
        return 0;
    }
    if (platform::failed(session->initialize())) {
        return 0;
    }
    std::vector<platform::NetComponent> protocols;
    bool found = false;
    bool enabled = false;
    if (!platform::failed(session->components(ComponentClass::Protocol, protocols))) {
        for (const platform::NetComponent& component : protocols) {
            // Adapters count as enabled only while their device works; other classes always.
            enabled =
                component.componentClass != ComponentClass::Adapter || component.deviceStatus == 0;
            if (component.id == kReliableMulticastId) {
                found = true;
                break;
            }
        }
    }
    session->uninitialize();
    return (found ? 1 : 0) | (enabled ? 2 : 0);
}

void ShareEnvironment::installReliableMulticast() const {
    std::unique_ptr<platform::NetCfgSession> session;
    if (platform::failed(platform::networkConfig().create(session))) {
        return;
    }
    std::wstring holder;
    const HResult locked = session->acquireWriteLock(kNetCfgLockTimeoutMs, kNetCfgClient, holder);
    if (locked != platform::kSOk) {
        // S_FALSE: another program (`holder`) keeps the lock; nothing can be installed now.
        return;
    }
    if (platform::failed(session->initialize())) {
        session->releaseWriteLock();
        return;
    }
    const HResult installed = session->installProtocol(kReliableMulticastId);
    if (installed == platform::kSOk || installed == platform::netcfg::kRebootNeeded) {
        session->apply();
    }
    if (!platform::failed(session->uninitialize())) {
        session->releaseWriteLock();
    }
}

std::int32_t ShareEnvironment::checkNetworkCategory() const {
    std::vector<platform::NetworkInfo> networks;
    if (platform::failed(platform::networkList().networks(true, networks))) {
        return 0;
    }
    for (const platform::NetworkInfo& network : networks) {
        if (network.category == platform::networks::kCategoryPublic) {
            return 0;
        }
    }
    return 1;
}

void ShareEnvironment::setPublicNetworksPrivate() const {
    platform::NetworkList& list = platform::networkList();
    std::vector<platform::NetworkInfo> networks;
    if (platform::failed(list.networks(true, networks))) {
        return;
    }
    for (const platform::NetworkInfo& network : networks) {
        if (network.category == platform::networks::kCategoryPublic) {
            list.setCategory(network.id, platform::networks::kCategoryPrivate);
        }
    }
}

std::int32_t ShareEnvironment::checkFirewallGroups() const {
    std::unique_ptr<platform::FirewallPolicy> policy;
    if (platform::failed(platform::firewall().openPolicy(policy))) {
        return 0;
    }
    std::int32_t bits = 0;
    int bit = 0;
    for (const std::wstring& group : {kSharingGroup, kDiscoveryGroup}) {
        bool enabled = false;
        if (!platform::failed(
                policy->isRuleGroupEnabled(platform::fw::kProfilePrivate, group, enabled)) &&
            enabled) {
            bits |= 1 << bit;
        }
        ++bit;
    }
    return bits;
}

void ShareEnvironment::enableFirewallGroups() const {
    std::unique_ptr<platform::FirewallPolicy> policy;
    if (platform::failed(platform::firewall().openPolicy(policy))) {
        return;
    }
    for (const std::wstring& group : {kSharingGroup, kDiscoveryGroup}) {
        // A group that fails does not stop the other.
        policy->enableRuleGroup(platform::fw::kProfilePrivate, group, true);
    }
}

bool ShareEnvironment::isSmb1Enabled() const {
    std::unique_ptr<platform::WmiService> service;
    int stage = 0;
    HResult result = platform::wmi().connect(L"ROOT\\CIMV2", service, stage);
    if (platform::failed(result)) {
        reportHResult(stage == 0 ? "Failed to create IWbemLocator object. Error code = 0x"
                                 : "Could not connect to WMI namespace. Error code = 0x",
                      result);
        return false;
    }
    result = service->setProxyBlanket();
    if (platform::failed(result)) {
        reportHResult("Could not set proxy blanket. Error code = 0x", result);
        return false;
    }
    std::unique_ptr<platform::WmiEnumerator> objects;
    result = service->execQuery(kSmb1Query, objects);
    if (platform::failed(result)) {
        reportHResult("Query for SMB1 service failed. Error code = 0x", result);
        return false;
    }
    bool enabled = false;
    std::unique_ptr<platform::WmiObject> object;
    while (objects->next(object) == platform::kSOk && object) {
        platform::WmiValue state;
        if (!platform::failed(object->get(L"InstallState", state)) &&
            state.type == platform::WmiValue::Type::Int32) {
            enabled = state.number == kInstallStateEnabled;
        }
    }
    return enabled;
}

void ShareEnvironment::enableSmb1() const {
    // The output is not judged: the check reads the feature's new state.
    std::wstring output;
    runCapture(kEnableSmb1Command, output);
}

std::int32_t ShareEnvironment::checkGuestDisabled() const {
    platform::UserInfo1 info;
    if (platform::localUsers().getInfo1(kGuestAccount, info) != win32::kSuccess) {
        return 0;
    }
    return (info.flags & platform::users::kAccountDisable) ? 1 : 0;
}

void ShareEnvironment::enableGuest() const {
    if (const win32::Error error =
            platform::localUsers().setFlags(kGuestAccount, kGuestEnabledFlags)) {
        reportError("NetUserSetInfo failed with error: ", error);
    }
}

}  // namespace sharing
