// WMI of the simulated PC. Every connection reads the machine's "wmi" document afresh, so a
// change to the PC shows at the next inventory.
#include "platform/Wmi.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/wmi/PowerShellProgram.h"
#include "platform/sim/wmi/SimWmi.h"
#include "platform/sim/wmi/WmiProfileSection.h"

namespace platform::sim {

namespace {

// Unreadable state (a corrupt document, a machine that could not be opened) fails where a
// broken WMI repository fails: at the connection to the namespace.
WmiModel loadWmiModel(const StateStore& store) {
    QString error;
    QJsonObject document;
    if (!store.read(kWmiFacility, document, error)) {
        qCWarning(lcSim).noquote() << error;
        return {{}, L"connect"};
    }
    return wmiModelFromDocument(document);
}

void buildWmi(SimulatedPc& pc) {
    const StateStore* store = &pc.machine().store();
    pc.provide<Wmi>(makeSimWmi([store] { return loadWmiModel(*store); }));
}

}  // namespace

FacilityDescription describeWmiFacility() {
    FacilityDescription facility;
    facility.name = kWmiFacility;
    facility.profileSections = {wmiProfileSection()};
    facility.verbs = {
        {"feature",
         "feature NAME on|off        switch an optional feature (Win32_OptionalFeature) on or off",
         runFeatureVerb},
    };
    facility.programs = {{"powershell", runPowerShell}};
    facility.build = buildWmi;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Wmi& wmi() {
    return sim::processPc().get<Wmi>();
}

}  // namespace platform
