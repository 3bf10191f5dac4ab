#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace sharing {

// The eleven conditions printer sharing between PCs needs, by index: the index is the contract
// with the page, and results always travel as eleven integers in this order.
enum ShareItem : int {
    kInsecureGuestAuth = 0,
    kLmCompatibility = 1,
    kReliableMulticast = 2,
    kPrintRpcPolicy = 3,
    kGuestNetworkLogon = 4,
    kGuestNetworkLogonDeny = 5,
    kForceGuestOff = 6,
    kPrivateNetworkCategory = 7,
    kFirewallSharingGroups = 8,
    kSmb1Protocol = 9,
    kGuestAccountDisabled = 10,
};
constexpr int kShareItemCount = 11;
using ShareResults = std::array<std::int32_t, kShareItemCount>;

// A policy value the sharing settings need, under HKEY_LOCAL_MACHINE, as REG_DWORD.
struct RegistryPolicyValue {
    platform::RegistryRoot root;
    const wchar_t* subkey;
    const wchar_t* valueName;
    std::uint32_t expected;
};

// The checks and repairs of the eleven items. One process-wide object, built on first use and
// read-only afterwards, so checks and repairs may run on any thread (each thread with COM
// initialised as the platform needs it). Failures of the system calls are written to standard
// error as a fixed text and the code; nothing throws.
class ShareEnvironment {
public:
    static const ShareEnvironment& instance();

    // The item's state as a small integer (see the item's check); 0 for an index above 10.
    std::int32_t check(int index) const;
    // Brings the item into its good state; an index above 10 does nothing. The outcome is not
    // reported: the check reads the new state.
    void repair(int index) const;

    // Windows 8 (6.2) or later: older systems lack items 0, 3 and 9.
    static bool isWindows8OrLater();
    // Items 0, 3 and 9 on a system older than Windows 8 are not read: their good value.
    static bool isSkippedBeforeWindows8(int index);
    static std::int32_t valueBeforeWindows8(int index);
    // What queryShareEnv answers: the eleven checks, with the values above before Windows 8.
    ShareResults queryAll() const;
    // The result of one step of a query: the check, or the pre-Windows 8 value.
    std::int32_t queryItem(int index) const;

    // The repairs need a restart unless items 0, 1, 3 and 9 are already good (all four are
    // checked, on every Windows version).
    bool needsRestart() const;

    // The good value of each item.
    static const ShareResults& goodValues();

    // Support operations.
    bool readPolicyValue(const RegistryPolicyValue& row) const;
    void writePolicyValue(const RegistryPolicyValue& row) const;
    // The accounts holding a user right, each as "DOMAIN\account".
    std::vector<std::wstring> accountsWithRight(const std::wstring& right) const;
    void setGuestRight(const std::wstring& right, bool add) const;
    void installReliableMulticast() const;
    bool isSmb1Enabled() const;

    const std::array<RegistryPolicyValue, 7>& policyRows() const { return m_rows; }

private:
    ShareEnvironment();

    std::int32_t checkReliableMulticast() const;
    std::int32_t checkPrintRpcPolicy() const;
    std::int32_t checkGuestRight(const std::wstring& right) const;
    std::int32_t checkNetworkCategory() const;
    std::int32_t checkFirewallGroups() const;
    std::int32_t checkGuestDisabled() const;
    void setPublicNetworksPrivate() const;
    void enableFirewallGroups() const;
    void enableSmb1() const;
    void enableGuest() const;

    const std::array<RegistryPolicyValue, 7> m_rows;
};

}  // namespace sharing
