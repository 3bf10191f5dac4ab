// The simulated PC's IP helper: its adapters and ARP table (its own, or this machine's), the
// interface rows, and real ICMP echo.
#include "platform/IpHelper.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/iphelper/IpHelperDocument.h"
#include "platform/sim/iphelper/NetCommands.h"
#include "platform/sim/iphelper/SimIpHelper.h"

namespace platform::sim {

namespace {

bool checkIpHelper(const QJsonObject& document, QString& error) {
    iphelper::NetworkState state;
    return iphelper::readNetworkState(document, QLatin1String(iphelper::kIpHelperFacility), state,
                                      error);
}

void buildIpHelper(SimulatedPc& pc) {
    pc.provide<IpHelper>(iphelper::makeSimIpHelper(pc.machine().store()));
}

}  // namespace

FacilityDescription describeIphelperFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(iphelper::kIpHelperFacility);
    facility.profileSections = {iphelper::ipHelperProfileSection()};
    facility.checkDocument = checkIpHelper;
    facility.show = iphelper::showNetwork;
    facility.verbs = {
        {"net",
         "net show                   the PC's adapters and ARP table\n"
         "net adapter add INDEX ADDRESS MASK [--gateway ADDR] [--description TEXT] [--down]\n"
         "net adapter remove INDEX   add or remove a network adapter (--down: not connected)\n"
         "net arp add INDEX ADDRESS MAC [--invalid]\n"
         "net arp clear              add an ARP table row, or empty the table\n"
         "net source host|profile    report this machine's (or network namespace's) adapters\n"
         "                           and ARP table instead of the PC's own, and back",
         iphelper::runNetVerb},
    };
    facility.build = buildIpHelper;
    return facility;
}

}  // namespace platform::sim

namespace platform {

IpHelper& ipHelper() {
    return sim::processPc().get<IpHelper>();
}

}  // namespace platform
