// The simulated PC's network list: the networks it knows, which are connected, and whether
// each is public or private.
#include <QTextStream>

#include "platform/NetworkList.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/netlist/SimNetworkList.h"

namespace platform::sim {

namespace {

using namespace netlist;

const QLatin1String kNetworksSection("networks");

bool parseNetworksSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                          QString& error) {
    std::vector<Network> networks;
    if (!readNetworks(section, path, networks, error)) {
        return false;
    }
    document = netListDocument(networks);
    return true;
}

bool checkNetList(const QJsonObject& document, QString& error) {
    std::vector<Network> networks;
    return readNetListDocument(document, networks, error);
}

bool showNetList(const QJsonObject& document, QTextStream& out, QString& error) {
    std::vector<Network> networks;
    if (!readNetListDocument(document, networks, error)) {
        return false;
    }
    for (const Network& network : networks) {
        out << "  " << network.name << ": " << categoryName(network.category) << ", "
            << (network.connected ? "connected" : "not connected") << ", id " << network.id << '\n';
    }
    return true;
}

const QString kUsage = QStringLiteral(
    "use network category NAME public|private, network add NAME public|private or "
    "network remove NAME");

// network category|add|remove ...: the PC joins or leaves a network, or the person at the PC
// changes its category in the settings.
int runNetworkVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    const QString name = arguments.value(1);
    const bool withCategory = action == QLatin1String("category") || action == QLatin1String("add");
    if ((withCategory && arguments.size() != 3) ||
        (action == QLatin1String("remove") && arguments.size() != 2) ||
        (!withCategory && action != QLatin1String("remove"))) {
        return toolFailure(io, kUsage);
    }
    const std::int32_t category = withCategory ? categoryByName(arguments.at(2)) : 0;
    if (category != platform::networks::kCategoryPublic &&
        category != platform::networks::kCategoryPrivate) {
        return toolFailure(io, kUsage);
    }
    QString failure;
    QString error;
    const bool written = pc.machine().store().update(
        QLatin1String(kNetListFacility),
        [&](QJsonObject& document) {
            std::vector<Network> networks;
            if (!readNetListDocument(document, networks, failure)) {
                return false;
            }
            Network* network = findNetwork(networks, name);
            if (action == QLatin1String("add")) {
                if (network != nullptr) {
                    failure = QStringLiteral("the PC already knows a network %1").arg(name);
                    return false;
                }
                networks.push_back({networkIdFor(name), name, category, true});
            } else if (network == nullptr) {
                failure = QStringLiteral("the PC knows no network %1").arg(name);
                return false;
            } else if (action == QLatin1String("category")) {
                network->category = category;
            } else {
                networks.erase(networks.begin() + (network - networks.data()));
            }
            StateStore::replaceKeepingChangeCount(document, netListDocument(networks));
            return true;
        },
        error);
    if (!written) {
        return toolFailure(io, error);
    }
    return failure.isEmpty() ? 0 : toolFailure(io, failure);
}

void buildNetList(SimulatedPc& pc) {
    pc.provide<NetworkList>(
        makeSimNetworkList(pc.machine().store(), pc.machine().system().elevated));
}

}  // namespace

FacilityDescription describeNetlistFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kNetListFacility);
    facility.profileSections = {
        {kNetworksSection, QLatin1String(kNetListFacility), false, parseNetworksSection}};
    facility.checkDocument = checkNetList;
    facility.show = showNetList;
    facility.verbs = {
        {"network",
         "network category NAME public|private\n"
         "                           move a network to the public or private category\n"
         "network add NAME public|private\n"
         "                           connect the PC to a new network\n"
         "network remove NAME        forget a network",
         runNetworkVerb},
    };
    facility.build = buildNetList;
    return facility;
}

}  // namespace platform::sim

namespace platform {

NetworkList& networkList() {
    return sim::processPc().get<NetworkList>();
}

}  // namespace platform
