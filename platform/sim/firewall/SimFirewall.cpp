#include "platform/sim/firewall/SimFirewall.h"

#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/firewall/FirewallDocument.h"

namespace platform::sim::firewall {

namespace {

using platform::fw::kProfileDomain;
using platform::fw::kProfilePrivate;
using platform::fw::kProfilePublic;
using platform::fw::kServiceNotRunning;

constexpr ProfileTypes kKnownProfiles = kProfileDomain | kProfilePrivate | kProfilePublic;

class SimFirewallPolicy : public FirewallPolicy {
public:
    SimFirewallPolicy(StateStore& store, bool elevated, NetworkProfiles networkProfiles)
        : m_store(store), m_elevated(elevated), m_networkProfiles(std::move(networkProfiles)) {}

    HResult currentProfileTypes(ProfileTypes& types) override {
        types = 0;
        FirewallState state;
        const HResult result = readRunning(state);
        if (result == kSOk && !(m_networkProfiles && m_networkProfiles(types))) {
            types = state.currentProfiles;
        }
        return result;
    }

    HResult isRuleGroupEnabled(ProfileTypes types, const std::wstring& group,
                               bool& enabled) override {
        enabled = false;
        FirewallState state;
        HResult result = readRunning(state);
        if (result != kSOk) {
            return result;
        }
        if ((types & kKnownProfiles) == 0) {
            return kEInvalidArg;
        }
        const RuleGroup* entry = state.group(QString::fromStdWString(group));
        if (entry == nullptr) {
            return kSFalse;
        }
        enabled = (entry->enabled & types & kKnownProfiles) == (types & kKnownProfiles);
        return kSOk;
    }

    HResult enableRuleGroup(ProfileTypes types, const std::wstring& group, bool enable) override {
        FirewallState state;
        HResult result = readRunning(state);
        if (result != kSOk) {
            return result;
        }
        if ((types & kKnownProfiles) == 0) {
            return kEInvalidArg;
        }
        if (!m_elevated) {
            return kEAccessDenied;
        }
        const QString name = QString::fromStdWString(group);
        if (state.group(name) == nullptr) {
            return kSFalse;
        }
        result = kSOk;
        QString error;
        const bool written = m_store.update(
            QLatin1String(kFirewallFacility),
            [&](QJsonObject& document) {
                FirewallState current;
                QString readError;
                if (!readFirewallState(document, QLatin1String(kFirewallFacility), current,
                                       readError)) {
                    result = hresultFromWin32(kStateUnreadable);
                    return false;
                }
                RuleGroup* entry = current.group(name);
                if (entry == nullptr) {
                    result = kSFalse;
                    return false;
                }
                const ProfileTypes before = entry->enabled;
                if (enable) {
                    entry->enabled |= types & kKnownProfiles;
                } else {
                    entry->enabled &= ~types;
                }
                if (entry->enabled == before) {
                    return false;
                }
                StateStore::replaceKeepingChangeCount(document, firewallStateJson(current));
                return true;
            },
            error);
        if (!written) {
            qCWarning(lcSim).noquote() << error;
            return hresultFromWin32(kStateUnwritable);
        }
        return result;
    }

private:
    // The document, when it can be read and the firewall service runs.
    HResult readRunning(FirewallState& state) const {
        QJsonObject document;
        QString error;
        if (!m_store.read(QLatin1String(kFirewallFacility), document, error) ||
            !readFirewallState(document, QLatin1String(kFirewallFacility), state, error)) {
            qCWarning(lcSim).noquote() << error;
            return hresultFromWin32(kStateUnreadable);
        }
        return state.serviceRunning ? kSOk : kServiceNotRunning;
    }

    StateStore& m_store;
    bool m_elevated;
    NetworkProfiles m_networkProfiles;
};

class SimFirewall : public Firewall {
public:
    SimFirewall(StateStore& store, bool elevated, NetworkProfiles networkProfiles)
        : m_store(store), m_elevated(elevated), m_networkProfiles(std::move(networkProfiles)) {}

    HResult openPolicy(std::unique_ptr<FirewallPolicy>& policy) override {
        policy = std::make_unique<SimFirewallPolicy>(m_store, m_elevated, m_networkProfiles);
        return kSOk;
    }

private:
    StateStore& m_store;
    bool m_elevated;
    NetworkProfiles m_networkProfiles;
};

}  // namespace

std::unique_ptr<Firewall> makeSimFirewall(StateStore& store, bool elevated,
                                          NetworkProfiles networkProfiles) {
    return std::make_unique<SimFirewall>(store, elevated, std::move(networkProfiles));
}

}  // namespace platform::sim::firewall
