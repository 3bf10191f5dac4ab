#pragma once

#include <memory>

#include "platform/Devices.h"

namespace platform::sim {
class Machine;
}

namespace platform::sim::devices {

// The simulated PC's device manager over its "devices" document: device sets are snapshots
// of the document, and windows registered for device interfaces hear of interfaces that come
// or go through any process's change of the document (a ChangeWatch on a thread of this
// object, started with the first registration).
std::unique_ptr<Devices> makeSimDevices(Machine& machine);

// The device path Windows gives an interface of a device
// ("\\?\USB#VID_03F0&PID_1853#CN5C13J0B2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}").
std::wstring interfacePath(const std::wstring& instanceId, const Guid& interfaceClass);

}  // namespace platform::sim::devices
