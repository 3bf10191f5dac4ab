// The simulated PC's firewall: rule groups switched on per profile, the profiles in force, and
// whether the firewall service runs.
#include <QTextStream>

#include "platform/Firewall.h"
#include "platform/NetworkList.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/firewall/FirewallDocument.h"
#include "platform/sim/firewall/SimFirewall.h"

namespace platform::sim {

namespace {

using namespace firewall;

constexpr ProfileTypes kEveryProfile =
    platform::fw::kProfileDomain | platform::fw::kProfilePrivate | platform::fw::kProfilePublic;

const QString kUsage = QStringLiteral(
    "use firewall group NAME on|off [--profile private|public|domain], "
    "firewall current PROFILE[,PROFILE] or firewall service running|stopped");

bool parseFirewallSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                          QString& error) {
    FirewallState state;
    if (!section.isObject()) {
        error = QStringLiteral("%1: expected an object").arg(path);
        return false;
    }
    if (!readFirewallState(section.toObject(), path, state, error)) {
        return false;
    }
    document = firewallStateJson(state);
    return true;
}

bool checkFirewall(const QJsonObject& document, QString& error) {
    FirewallState state;
    return readFirewallState(document, QLatin1String(kFirewallFacility), state, error);
}

bool showFirewall(const QJsonObject& document, QTextStream& out, QString& error) {
    FirewallState state;
    if (!readFirewallState(document, QLatin1String(kFirewallFacility), state, error)) {
        return false;
    }
    out << "  service: " << (state.serviceRunning ? "running" : "stopped") << '\n';
    out << "  current profiles: " << profileTypeNames(state.currentProfiles) << '\n';
    for (const RuleGroup& group : state.groups) {
        out << "  group " << group.name;
        if (!group.indirect.isEmpty()) {
            out << " (" << group.indirect << ')';
        }
        out << ": on for " << profileTypeNames(group.enabled) << '\n';
    }
    return true;
}

// "private", "private,public" or "all".
bool parseProfiles(const QString& text, ProfileTypes& types) {
    types = 0;
    if (text == QLatin1String("all")) {
        types = kEveryProfile;
        return true;
    }
    for (const QString& word : text.split(QLatin1Char(','))) {
        const ProfileTypes bit = profileTypeByName(word.trimmed());
        if (bit == 0) {
            return false;
        }
        types |= bit;
    }
    return true;
}

// Applies `change` to the PC's firewall state as the firewall's own settings would; the
// tool acts as the person at the PC, so it needs no elevation.
int changeState(SimulatedPc& pc, ProgramIo io,
                const std::function<QString(FirewallState&)>& change) {
    QString failure;
    QString error;
    const bool written = pc.machine().store().update(
        QLatin1String(kFirewallFacility),
        [&](QJsonObject& document) {
            FirewallState state;
            if (!readFirewallState(document, QLatin1String(kFirewallFacility), state, failure)) {
                return false;
            }
            failure = change(state);
            if (!failure.isEmpty()) {
                return false;
            }
            StateStore::replaceKeepingChangeCount(document, firewallStateJson(state));
            return true;
        },
        error);
    if (!written) {
        return toolFailure(io, error);
    }
    return failure.isEmpty() ? 0 : toolFailure(io, failure);
}

int runGroup(const QStringList& words, SimulatedPc& pc, ProgramIo io) {
    // group NAME on|off [--profile P]
    ProfileTypes types = kEveryProfile;
    const bool withProfile = words.size() == 5 && words.at(3) == QLatin1String("--profile");
    if ((words.size() != 3 && !withProfile) ||
        (withProfile && !parseProfiles(words.at(4), types))) {
        return toolFailure(io, kUsage);
    }
    const QString& state = words.at(2);
    if (state != QLatin1String("on") && state != QLatin1String("off")) {
        return toolFailure(io, kUsage);
    }
    const QString name = words.at(1);
    const bool enable = state == QLatin1String("on");
    return changeState(pc, io, [&](FirewallState& firewall) {
        RuleGroup* group = firewall.group(name);
        if (group == nullptr) {
            return QStringLiteral("the firewall has no rule group %1").arg(name);
        }
        group->enabled = enable ? (group->enabled | types) : (group->enabled & ~types);
        return QString();
    });
}

int runFirewallVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    if (action == QLatin1String("group")) {
        return runGroup(arguments, pc, io);
    }
    if (action == QLatin1String("current") && arguments.size() == 2) {
        ProfileTypes types = 0;
        if (!parseProfiles(arguments.at(1), types)) {
            return toolFailure(io, kUsage);
        }
        return changeState(pc, io, [types](FirewallState& firewall) {
            firewall.currentProfiles = types;
            return QString();
        });
    }
    if (action == QLatin1String("service") && arguments.size() == 2 &&
        (arguments.at(1) == QLatin1String("running") ||
         arguments.at(1) == QLatin1String("stopped"))) {
        const bool running = arguments.at(1) == QLatin1String("running");
        return changeState(pc, io, [running](FirewallState& firewall) {
            firewall.serviceRunning = running;
            return QString();
        });
    }
    return toolFailure(io, kUsage);
}

ProfileTypes profileOfCategory(std::int32_t category) {
    switch (category) {
        case networks::kCategoryPrivate:
            return fw::kProfilePrivate;
        case networks::kCategoryDomainAuthenticated:
            return fw::kProfileDomain;
        default:
            return fw::kProfilePublic;
    }
}

// The profiles of the connected networks' categories, from the PC's network list.
bool connectedNetworkProfiles(const SimulatedPc& pc, ProfileTypes& types) {
    NetworkList* list = pc.tryGet<NetworkList>();
    std::vector<NetworkInfo> connected;
    if (list == nullptr || list->networks(true, connected) != kSOk || connected.empty()) {
        return false;
    }
    types = 0;
    for (const NetworkInfo& network : connected) {
        types |= profileOfCategory(network.category);
    }
    return true;
}

void buildFirewall(SimulatedPc& pc) {
    const SimulatedPc* owner = &pc;
    pc.provide<Firewall>(makeSimFirewall(
        pc.machine().store(), pc.machine().system().elevated,
        [owner](ProfileTypes& types) { return connectedNetworkProfiles(*owner, types); }));
}

}  // namespace

FacilityDescription describeFirewallFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kFirewallFacility);
    facility.profileSections = {{QLatin1String(kFirewallFacility), QLatin1String(kFirewallFacility),
                                 false, parseFirewallSection}};
    facility.checkDocument = checkFirewall;
    facility.show = showFirewall;
    facility.verbs = {
        {"firewall",
         "firewall group NAME on|off [--profile private|public|domain]\n"
         "                           switch a rule group on or off (for every profile, or one)\n"
         "firewall current PROFILE[,PROFILE]\n"
         "                           the profiles in force (domain, private, public)\n"
         "firewall service running|stopped\n"
         "                           start or stop the firewall service",
         runFirewallVerb},
    };
    facility.build = buildFirewall;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Firewall& firewall() {
    return sim::processPc().get<Firewall>();
}

}  // namespace platform
