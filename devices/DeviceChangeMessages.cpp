#include "DeviceChangeMessages.h"

namespace devices {

namespace {

class WindowMessageSink : public platform::DeviceChangeSink {
public:
    void deviceChange(std::intptr_t window, std::uint32_t event,
                      const platform::DeviceInterfaceBroadcast& broadcast) override {
        webhost::postMessage(static_cast<webhost::WindowHandle>(window),
                             platform::dev::kWmDeviceChange, event, 0,
                             std::make_unique<DeviceChangePayload>(broadcast));
    }
};

}  // namespace

void installDeviceChangeMessages() {
    static WindowMessageSink sink;  // lives to the end of the process, as the windows may
    platform::setDeviceChangeSink(&sink);
}

}  // namespace devices
