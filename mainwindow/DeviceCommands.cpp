#include "Commands.h"
#include "MainBlkWindow.h"
#include "UsbPayloads.h"
#include "devices/InstallMonitorBlkWindow.h"

namespace mainwindow {

namespace {

// The device whose installation the monitor window follows.
constexpr char kWatchedHardwareId[] = "USB\\VID_03F0&PID_1853";
// The monitor's page, served from html/ under the main page's host.
constexpr char kInstallMonitorPath[] = "/installmonitor.html";
constexpr int kSwShowNormal = 1;

}  // namespace

namespace commands {

JsValue setUSBServiceFilter(const JsCall& call, MainBlkWindow& window) {
    window.setServiceFilter(serviceFilterFromArgument(call.arg(0)));
    return JsValue::boolean(true);
}

}  // namespace commands

// 800 x 600 at the origin, centred, borderless with a shadow, dragged by its top 60 pixels, no
// address bar; closing it ends the application.
void openInstallMonitor(MainBlkWindow& owner) {
    auto* monitor =
        new devices::InstallMonitorBlkWindow(0, owner.host() + QByteArray(kInstallMonitorPath));
    monitor->watchHardwareId(QLatin1String(kWatchedHardwareId));
    webhost::WindowSettings settings;
    settings.host = owner.host();
    settings.windowRect = webhost::WinRect{0, 0, 800, 600};
    settings.captionRect = webhost::WinRect{-1, 0, -1, 60};
    webhost::FrameFlags frame;
    frame.borderless = true;
    frame.borderlessShadow = true;
    frame.borderlessResize = false;
    frame.borderlessDrag = false;
    frame.legacyFrame = owner.frameFlags().legacyFrame;
    webhost::WindowOptions options;
    options.centerWindow = true;
    options.closeAsQuit = true;
    options.editVisible = false;
    monitor->open(settings, frame, options, kSwShowNormal);
}

}  // namespace mainwindow
