#include "InstallMonitorBlkWindow.h"

#include "DeviceChangeMessages.h"
#include "UsbPrinterScan.h"
#include "platform/SystemInfo.h"
#include "printers/PrinterMonitor.h"
#include "printers/PrinterRecords.h"

namespace devices {

namespace {

using webhost::JsValue;
using webhost::LResult;
using webhost::WindowMessage;

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool presenceIsRead() {
    return platform::systemInfo().version().isAtLeast(6, 2);
}

}  // namespace

const platform::Guid kPrinterInterfaceClass{
    0x0ECEF634, 0x6EF0, 0x472A, {0x80, 0x85, 0x5A, 0xD0, 0x23, 0xEC, 0xBC, 0xCD}};
const platform::Guid kUsbDeviceInterfaceClass{
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

InstallMonitorBlkWindow::InstallMonitorBlkWindow(webhost::WindowHandle owner,
                                                 const QByteArray& startUrl)
    : BaseBlkWinow(owner, false, startUrl) {}

InstallMonitorBlkWindow::~InstallMonitorBlkWindow() {
    if (m_subscribedHandle != 0)
        PrinterAPI::PrinterMonitor::instance().unsubscribe(m_subscribedHandle);
    m_tree.clear();
}

void InstallMonitorBlkWindow::watchHardwareId(const QString& hardwareIdPrefix) {
    m_watchUsb = 1;
    m_watchedId = hardwareIdPrefix;
}

bool InstallMonitorBlkWindow::open(webhost::WindowSettings settings,
                                   const webhost::FrameFlags& frame,
                                   const webhost::WindowOptions& options, int showCommand) {
    settings.windowClass = QLatin1String(kWindowClass);
    if (!create(settings, frame, options, false, false, showCommand))
        return false;
    registerNotifications();
    // Additions only; the monitor itself runs from start-up on, for the main window.
    m_subscribedHandle = handle();
    PrinterAPI::PrinterMonitor::instance().subscribe(m_subscribedHandle,
                                                     PrinterAPI::PrinterMonitor::kMaskAdditions);
    return true;
}

// A registration that fails leaves the window without those notifications, nothing more.
void InstallMonitorBlkWindow::registerNotifications() {
    installDeviceChangeMessages();
    platform::Devices& devices = platform::devices();
    devices.registerDeviceNotification(handle(), kPrinterInterfaceClass, m_printerNotification);
    if (m_watchUsb == 1)
        devices.registerDeviceNotification(handle(), kUsbDeviceInterfaceClass, m_usbNotification);
}

bool InstallMonitorBlkWindow::rebuildTree() {
    m_tree.clear();
    return m_tree.build(platform::devices(), activeComputerName()) == platform::win32::kSuccess;
}

bool InstallMonitorBlkWindow::watchedDevicePresent() {
    const std::wstring watched = m_watchedId.toStdWString();
    bool found = false;
    walkDepthFirst(m_tree.root(), [&](DeviceItem& item) {
        found = found || startsWith(item.instanceId, watched);
    });
    return found;
}

void InstallMonitorBlkWindow::onUsbInterfaceChange(std::uint32_t event) {
    if (!rebuildTree())
        return;
    const bool present = watchedDevicePresent();
    if (event == platform::dev::kDbtDeviceArrival && present)
        notifyPage("notifyUSBChangedByCpp", {JsValue::boolean(true)});
    else if (event == platform::dev::kDbtDeviceRemoveComplete && !present)
        notifyPage("notifyUSBChangedByCpp", {JsValue::boolean(false)});
}

void InstallMonitorBlkWindow::onDeviceChange(WindowMessage& message) {
    const auto* change = message.payloadAs<DeviceChangePayload>();
    const auto event = static_cast<std::uint32_t>(message.wParam);
    if (m_watchUsb != 1 || change == nullptr ||
        (event != platform::dev::kDbtDeviceArrival &&
         event != platform::dev::kDbtDeviceRemoveComplete) ||
        change->broadcast.deviceType != platform::dev::kDbtDevtypDeviceInterface)
        return;
    if (change->broadcast.classGuid == kPrinterInterfaceClass)
        notifyPage("notifyPrinterChangedByCpp", {deviceStateObject(m_watchedId)});
    else if (change->broadcast.classGuid == kUsbDeviceInterfaceClass)
        onUsbInterfaceChange(event);
}

// The engine's first-argument accessor outside a script call yields no defined text; the
// watched hardware ID is the prefix this object is meant to describe, so it is the search text.
JsValue InstallMonitorBlkWindow::deviceStateObject(const QString& searchText) {
    JsValue object = JsValue::emptyObject();
    if (!rebuildTree()) {
        // A distinct failure value: the page tells it from a tree that was read.
        object.set("code", JsValue::boolean(false));
        return object;
    }
    const std::wstring search = searchText.toStdWString();
    DeviceItem* device = nullptr;
    for (DeviceItem* candidate : usbCandidates(m_tree, presenceIsRead())) {
        if (startsWith(candidate->instanceId, search))
            device = candidate;
    }
    if (device == nullptr) {
        object.set("code", JsValue::boolean(true));
        object.set("connected ", JsValue::boolean(false));
        return object;
    }
    bool usbprint = m_tree.text(*device, kPropService) == L"usbprint";
    QList<JsValue> queues;
    walkDepthFirst(device->firstChild, [&](DeviceItem& item) {
        usbprint = usbprint || m_tree.text(item, kPropService) == L"usbprint";
        if (m_tree.text(item, kPropClass) == L"PrintQueue")
            queues.append(JsValue::string(QString::fromStdWString(m_tree.text(item, kPropName))));
    });
    object.set("connected ", JsValue::boolean(true));
    object.set("usbprint", JsValue::boolean(usbprint));
    object.set("printQueue", JsValue::arrayOf(queues));
    object.set("code", JsValue::boolean(true));
    return object;
}

LResult InstallMonitorBlkWindow::windowProc(WindowMessage& message) {
    if (message.message == platform::dev::kWmDeviceChange) {
        onDeviceChange(message);
        return 0;  // never passed on, handled or not
    }
    if (message.message == PrinterAPI::kMsgPrinterChange && m_watchUsb == 1)
        return 0;  // the record goes with the message
    return BaseBlkWinow::windowProc(message);
}

}  // namespace devices
