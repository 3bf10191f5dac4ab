// The simulated PC's device manager: the device tree in the "devices" document, device sets,
// device-interface notifications and `corvanta-sim device`.
#include "platform/Devices.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/devices/DeviceCommands.h"
#include "platform/sim/devices/DeviceDocument.h"
#include "platform/sim/devices/SimDevices.h"

namespace platform::sim {

namespace {

bool checkDevices(const QJsonObject& document, QString& error) {
    devices::DeviceList list;
    return devices::readDeviceDocument(document, list, error);
}

void buildDevices(SimulatedPc& pc) {
    pc.provide<Devices>(devices::makeSimDevices(pc.machine()));
}

}  // namespace

FacilityDescription describeDevicesFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(devices::kDevicesFacility);
    facility.profileSections = {devices::devicesProfileSection()};
    facility.checkDocument = checkDevices;
    facility.show = devices::showDevices;
    facility.verbs = {
        {"device",
         "device list                one device per line: instance ID, present or absent,\n"
         "                           setup class, service (- when none)\n"
         "device unplug INSTANCE-ID  the device and the devices below it leave the PC\n"
         "device plug INSTANCE-ID    the device comes back with the devices that left with it",
         devices::runDeviceVerb},
    };
    facility.build = buildDevices;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Devices& devices() {
    return sim::processPc().get<Devices>();
}

}  // namespace platform
