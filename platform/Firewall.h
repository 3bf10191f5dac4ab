#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HResult.h"

namespace platform {

// NET_FW_PROFILE_TYPE2: the firewall profiles as bits of a profile-type mask.
namespace fw {
using ProfileTypes = std::int32_t;
constexpr ProfileTypes kProfileDomain = 0x1;
constexpr ProfileTypes kProfilePrivate = 0x2;
constexpr ProfileTypes kProfilePublic = 0x4;
constexpr ProfileTypes kProfileAll = 0x7FFFFFFF;

// What the policy's calls answer while the firewall service (MpsSvc) is stopped:
// HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED), "There are no more endpoints available from the
// endpoint mapper".
constexpr HResult kServiceNotRunning = static_cast<HResult>(0x800706D9);
}  // namespace fw

// The firewall policy (INetFwPolicy2). Errors are the HRESULTs the COM interface gives:
//   E_ACCESSDENIED   changing the policy from a process that is not elevated;
//   E_INVALIDARG     a profile-type mask naming none of domain, private and public;
//   S_FALSE          (not a failure) the named rule group does not exist; `enabled` is false;
//   fw::kServiceNotRunning while the firewall service is stopped.
// Rule groups are named as the firewall stores them: the group's name in the language of the
// Windows installation, or its indirect string ("@FirewallAPI.dll,-28502"); letter case does
// not matter.
class FirewallPolicy {
public:
    virtual ~FirewallPolicy() = default;

    // get_CurrentProfileTypes: the profiles in force now (those of the connected networks).
    virtual HResult currentProfileTypes(fw::ProfileTypes& types) = 0;
    // IsRuleGroupEnabled: `enabled` is true when the group's rules are enabled for every
    // profile in `types`.
    virtual HResult isRuleGroupEnabled(fw::ProfileTypes types, const std::wstring& group,
                                       bool& enabled) = 0;
    // EnableRuleGroup: enables (or disables) the group's rules for every profile in `types`;
    // the group's other profiles keep their state.
    virtual HResult enableRuleGroup(fw::ProfileTypes types, const std::wstring& group,
                                    bool enable) = 0;
};

class Firewall {
public:
    virtual ~Firewall() = default;
    // CoCreateInstance(CLSID_NetFwPolicy2, IID_INetFwPolicy2) on a thread with COM initialised.
    virtual HResult openPolicy(std::unique_ptr<FirewallPolicy>& policy) = 0;
};

// The firewall of the system this process runs on (see Platform.h).
Firewall& firewall();

}  // namespace platform
