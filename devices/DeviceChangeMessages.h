#pragma once

#include "platform/Devices.h"
#include "webhost/WindowMessages.h"

namespace devices {

// WM_DEVICECHANGE as a window of this process receives it: wParam the event
// (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE), the payload the interface broadcast.
struct DeviceChangePayload : webhost::MessagePayload {
    explicit DeviceChangePayload(platform::DeviceInterfaceBroadcast b) : broadcast(std::move(b)) {}
    platform::DeviceInterfaceBroadcast broadcast;
};

// Makes the device facility's notifications reach this process's windows as WM_DEVICECHANGE
// messages (posted to the window's thread). Idempotent; windows call it before they register.
void installDeviceChangeMessages();

}  // namespace devices
