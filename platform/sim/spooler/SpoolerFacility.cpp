// The simulated PC's print spooler: queues, jobs in the spool folder, change notifications,
// connections to other PCs' queues, and the printing programs.
#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/NetConnections.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Spooler.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/spooler/PrintersProfileSection.h"
#include "platform/sim/spooler/SimSpooler.h"
#include "platform/sim/spooler/SpoolerCommands.h"
#include "platform/sim/spooler/SpoolerDocument.h"
#include "platform/sim/spooler/SpoolerPrograms.h"

namespace platform::sim {

namespace {

// The process of the running Spooler service, 0 while it does not run, asked as any program
// asks the service control manager.
std::uint32_t spoolerServiceProcess(Services& services) {
    std::unique_ptr<ServiceManager> manager;
    std::unique_ptr<ServiceHandle> service;
    ServiceStatusProcess status;
    const bool read =
        services.openManager(svc::kManagerConnect, manager) == win32::kSuccess &&
        manager->openService(L"Spooler", svc::kQueryStatus, service) == win32::kSuccess &&
        service->queryStatusProcess(status) == win32::kSuccess;
    return read && status.currentState == svc::kRunning ? std::max(status.processId, 1u) : 0;
}

// Uses the registry (the spool folder's setting), the shell's drives, the network connections
// (other PCs' shares) and the services.
void buildSpooler(SimulatedPc& pc) {
    Services* services = &pc.get<Services>();
    pc.provide<Spooler>(spooler::makeSimSpooler(
        pc.machine(), pc.get<Registry>(), pc.get<FileSystem>(), pc.get<NetConnections>(),
        [services] { return spoolerServiceProcess(*services); }));
}

}  // namespace

FacilityDescription describeSpoolerFacility() {
    FacilityDescription facility;
    facility.name = spooler::kSpoolerFacility;
    facility.profileSections = {spooler::printersProfileSection()};
    facility.verbs = {
        {"printer",
         "printer VERB NAME ...      change a print queue: add, remove, rename, pause, resume,\n"
         "                           status, job, share, unshare, default",
         spooler::runPrinterVerb},
    };
    facility.programs = {
        {"rundll32", spooler::runRundll32},
        {"mmc", spooler::runMmc},
        {"control", spooler::runControl},
    };
    facility.build = buildSpooler;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Spooler& spooler() {
    return sim::processPc().get<Spooler>();
}

}  // namespace platform
