// WMI of the simulated PC, registered beside the other facilities (see Backend.cpp). Every
// connection reads the machine's "wmi" document afresh, so a change to the PC shows at the next
// inventory.
#include <memory>

#include "Machine.h"
#include "SimLogging.h"
#include "platform/Platform.h"
#include "platform/Wmi.h"
#include "wmi/SimWmi.h"
#include "wmi/WmiProfileSection.h"

namespace platform {

namespace {

sim::WmiModel loadWmiModel() {
    // The other facilities set the machine up (seeding it on first use); WMI only reads it.
    if (!startupError().empty())
        return {{}, L"com"};
    // The machine was checked whole when the backend opened it: only the WMI document is read.
    const sim::StateStore store(sim::Machine::stateDirectory(sim::Machine::configuredDirectory()));
    QString error;
    QJsonObject document;
    if (!store.read(QLatin1String(sim::kWmiFacility), document, error)) {
        qCWarning(lcSim).noquote() << error;
        return {{}, L"connect"};
    }
    return sim::wmiModelFromDocument(document);
}

}  // namespace

Wmi& wmi() {
    static const std::unique_ptr<Wmi> instance = sim::makeSimWmi(loadWmiModel);
    return *instance;
}

}  // namespace platform
