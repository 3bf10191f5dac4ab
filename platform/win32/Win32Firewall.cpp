// The firewall policy through COM (INetFwPolicy2 of hnetcfg, in-process). The policy keeps COM
// initialised on the thread that opened it, so callers need no COM set-up of their own.
#include <windows.h>
// (windows.h first: the COM headers need its types.)
#include <netfw.h>

#include "Backend.h"
#include "ComSupport.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

// Used and destroyed on the thread that opened it, whose COM initialisation it holds.
class Win32FirewallPolicy final : public FirewallPolicy {
public:
    Win32FirewallPolicy(std::unique_ptr<ComApartment> apartment, ComPtr<INetFwPolicy2> policy)
        : apartment_(std::move(apartment)), policy_(std::move(policy)) {}
    ~Win32FirewallPolicy() override {
        policy_.reset();  // before the apartment ends
    }

    HResult currentProfileTypes(fw::ProfileTypes& types) override {
        long current = 0;
        const HRESULT result = policy_->get_CurrentProfileTypes(&current);
        if (SUCCEEDED(result)) {
            types = static_cast<fw::ProfileTypes>(current);
        }
        return result;
    }

    // IsRuleGroupEnabled answers S_FALSE (with VARIANT_FALSE) for a group of no rules.
    HResult isRuleGroupEnabled(fw::ProfileTypes types, const std::wstring& group,
                               bool& enabled) override {
        const Bstr name(group);
        VARIANT_BOOL value = VARIANT_FALSE;
        const HRESULT result = policy_->IsRuleGroupEnabled(types, name.get(), &value);
        enabled = SUCCEEDED(result) && value != VARIANT_FALSE;
        return result;
    }

    HResult enableRuleGroup(fw::ProfileTypes types, const std::wstring& group,
                            bool enable) override {
        const Bstr name(group);
        return policy_->EnableRuleGroup(types, name.get(), enable ? VARIANT_TRUE : VARIANT_FALSE);
    }

private:
    std::unique_ptr<ComApartment> apartment_;
    ComPtr<INetFwPolicy2> policy_;
};

class Win32Firewall final : public Firewall {
public:
    HResult openPolicy(std::unique_ptr<FirewallPolicy>& policy) override {
        policy.reset();
        auto apartment = std::make_unique<ComApartment>();
        ComPtr<INetFwPolicy2> created;
        const HRESULT result = CoCreateInstance(CLSID_NetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_INetFwPolicy2, created.putVoid());
        if (FAILED(result)) {
            return result;
        }
        policy = std::make_unique<Win32FirewallPolicy>(std::move(apartment), std::move(created));
        return result;
    }
};

}  // namespace

std::unique_ptr<Firewall> makeFirewall() {
    return std::make_unique<Win32Firewall>();
}

}  // namespace platform::win32
