#pragma once

#include <QString>

#include <memory>

#include "DeviceTree.h"
#include "platform/Devices.h"
#include "webhost/BaseBlkWinow.h"

namespace devices {

// A second web window that watches one USB device being installed: it hears of USB device
// interfaces and printer interfaces that come and go, and tells its page when the watched
// device (a hardware-ID prefix matched against instance IDs) arrives or leaves, and in what
// state a printer interface's change leaves it.
//
// Create with new, call watchHardwareId() and then open(); the object deletes itself when its
// native window is destroyed.
class InstallMonitorBlkWindow : public webhost::BaseBlkWinow {
public:
    InstallMonitorBlkWindow(webhost::WindowHandle owner, const QByteArray& startUrl);
    ~InstallMonitorBlkWindow() override;

    // Before open(): from then on the window watches this device.
    void watchHardwareId(const QString& hardwareIdPrefix);
    bool isWatching() const { return m_watchUsb == 1; }
    const QString& watchedId() const { return m_watchedId; }

    // Creates the native window (class "installerMonitor") and its view, registers for the
    // device-interface notifications and subscribes to printer additions.
    bool open(webhost::WindowSettings settings, const webhost::FrameFlags& frame,
              const webhost::WindowOptions& options, int showCommand);

    webhost::LResult windowProc(webhost::WindowMessage& message) override;

    // The object "notifyPrinterChangedByCpp" receives: {"code": true, "connected ": ...,
    // "usbprint": ..., "printQueue": [...]} for the USB device whose instance ID begins with
    // `searchText`, {"code": false} when the device tree cannot be read.
    webhost::JsValue deviceStateObject(const QString& searchText);

    static constexpr const char* kWindowClass = "installerMonitor";

private:
    void registerNotifications();
    void onDeviceChange(webhost::WindowMessage& message);
    void onUsbInterfaceChange(std::uint32_t event);
    bool rebuildTree();
    bool watchedDevicePresent();

    int m_watchUsb = 0;
    QString m_watchedId;
    DeviceTree m_tree;
    webhost::WindowHandle m_subscribedHandle = 0;
    std::unique_ptr<platform::DeviceNotification> m_printerNotification;
    std::unique_ptr<platform::DeviceNotification> m_usbNotification;
};

// The interface classes the window registers for.
extern const platform::Guid kPrinterInterfaceClass;    // {0ECEF634-6EF0-472A-8085-5AD023ECBCCD}
extern const platform::Guid kUsbDeviceInterfaceClass;  // {A5DCBF10-6530-11D2-901F-00C04FB951ED}

}  // namespace devices
