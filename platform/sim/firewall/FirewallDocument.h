#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

#include "platform/Firewall.h"

namespace platform::sim::firewall {

using platform::fw::ProfileTypes;

constexpr const char* kFirewallFacility = "firewall";

// One rule group: the rules Windows ships for a feature (File and Printer Sharing, Network
// Discovery), switched on and off together per profile.
struct RuleGroup {
    QString name;      // as this installation's language names it
    QString indirect;  // optional: "@FirewallAPI.dll,-28502", the same in every language
    ProfileTypes enabled = 0;
};

// The firewall of the PC. The "firewall" profile section and state document have one form:
//
//   "firewall": {
//       "serviceRunning": true,                  // optional, default true
//       "currentProfiles": ["private"],          // optional, default private; domain, private,
//                                                // public
//       "groups": [
//           {"name": "File and Printer Sharing", "indirect": "@FirewallAPI.dll,-28502",
//            "enabled": ["domain"]}              // the profiles the group is on for
//       ]                                        // optional, default none
//   }
// A PC without the section has a running firewall on the private profile and no groups.
struct FirewallState {
    bool serviceRunning = true;
    ProfileTypes currentProfiles = platform::fw::kProfilePrivate;
    std::vector<RuleGroup> groups;

    // The group named `name` or whose indirect string is `name`, without regard to case; null
    // when there is none.
    RuleGroup* group(const QString& name);
};

// Reads a profile section or a state document (which also carries the store's changeCount).
bool readFirewallState(const QJsonObject& object, const QString& path, FirewallState& state,
                       QString& error);
QJsonObject firewallStateJson(const FirewallState& state);

// "domain", "private" or "public" as its bit; 0 for another word.
ProfileTypes profileTypeByName(const QString& name);
// "domain, private", or "none".
QString profileTypeNames(ProfileTypes types);

}  // namespace platform::sim::firewall
