// The main window's side of the printer scans: starting a searcher, and the page calls and
// taskbar updates its signals lead to.
#include <QApplication>
#include <QDebug>

#include "MainBlkWindow.h"
#include "UsbPayloads.h"

namespace mainwindow {

namespace {

using netscan::PrinterSearcher;
using netscan::PrinterSearcherThread;
using webhost::JsValue;

constexpr int kStarted = 0;
constexpr int kSearchBusy = 1;
constexpr int kConnectionFailed = 2;

// Byte strings of the agent or host, shown as UTF-8 (invalid sequences become U+FFFD).
JsValue utf8Text(const std::string& bytes) {
    return JsValue::string(QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size())));
}

}  // namespace

int MainBlkWindow::startSearch(SearchKind kind) {
    m_taskbar.setProgress(0, 100);
    QPointer<PrinterSearcherThread>& slot =
        kind == kOnlineSearch ? m_onlineSearcher : m_shareSearcher;
    if (slot) {
        const int state = slot->state.load();
        const bool ended =
            state == PrinterSearcher::kEndedNormally || state == PrinterSearcher::kEndedByInterrupt;
        // A searcher started a moment ago is still new until its thread gets to run: it is busy
        // all the same, and replacing it would leave its scan running unowned.
        const bool neverStarted = state == PrinterSearcher::kNew && !slot->QThread::isRunning();
        if (!ended && !neverStarted)
            return kSearchBusy;
    }
    // A searcher that has ended is only waiting for its finished handler to delete it; the new
    // scan gets a fresh one rather than restarting a thread that is about to go.
    slot = new PrinterSearcherThread(kind, this);
    if (prepareSearcher)
        prepareSearcher(*slot);
    PrinterSearcherThread::registerMetaTypes(kind);
    if (!connectSearcher(kind, slot)) {
        slot->deleteLater();
        slot.clear();
        return kConnectionFailed;
    }
    slot->start(QThread::InheritPriority);
    return kStarted;
}

bool MainBlkWindow::connectSearcher(SearchKind kind, PrinterSearcherThread* thread) {
    auto progress = [this, kind](int current, int total, int event, int machine, int machines) {
        onSearchProgress(kind, current, total, event, machine, machines);
    };
    auto finish = [this, kind, thread] { onSearchFinish(kind, thread); };
    auto finished = [this, kind, thread] { onSearcherFinished(kind, thread); };
    if (!connect(thread, &PrinterSearcherThread::progress, this, progress) ||
        (kind == kOnlineSearch &&
         (!connect(thread, &PrinterSearcherThread::usb1, this, &MainBlkWindow::onUsbPrinters) ||
          !connect(thread, &PrinterSearcherThread::usb2, this, &MainBlkWindow::onUsbTree) ||
          !connect(thread, &PrinterSearcherThread::netPrinter, this,
                   &MainBlkWindow::onNetPrinter))) ||
        !connect(thread, &PrinterSearcherThread::finish, this, finish) ||
        !connect(thread, &QThread::finished, this, finished))
        return false;
    if (kind == kOnlineSearch)
        return bool(connect(thread, &PrinterSearcherThread::overCountNetDevice, this,
                            &MainBlkWindow::onOverCountNetDevice));
    return bool(connect(thread, &PrinterSearcherThread::sharePrinter, this,
                        &MainBlkWindow::notifySharePrinterByCpp));
}

void MainBlkWindow::onSearchProgress(SearchKind kind, int current, int total, int progressEvent,
                                     int curMachine, int totalMachine) {
    notifyPage(kind == kOnlineSearch ? "notifyOnlineProgressByCpp" : "notifyShareProgressByCpp",
               {JsValue::integer(current), JsValue::integer(total), JsValue::integer(progressEvent),
                JsValue::integer(curMachine), JsValue::integer(totalMachine)});
    m_taskbar.setProgress(current, total);
}

// Every scan's end, whatever its kind: the page learns whether it was interrupted, and the
// taskbar button stops showing progress and flashes until the user looks.
void MainBlkWindow::onSearchFinish(SearchKind kind, const PrinterSearcherThread* thread) {
    const int state = thread->state.load();
    notifyPage(kind == kOnlineSearch ? "notifyOnlineFinishByCpp" : "notifyShareFinishByCpp",
               {JsValue::integer(state)});
    qDebug().nospace() << "m_interrupt: "
                       << (state == PrinterSearcher::kEndedByInterrupt ? "true" : "false");
    m_taskbar.clearProgress();
    m_taskbar.flash();
}

void MainBlkWindow::onNetPrinter(const netscan::NetPrinterInfo& printer) {
    qDebug().noquote().nospace() << "ip: " << QString::fromStdString(printer.ip)
                                 << " mdl: " << QString::fromUtf8(printer.model.c_str())
                                 << " mfg: " << QString::fromUtf8(printer.manufacturer.c_str());
    notifyPage("notifyNetworkPrinterByCpp",
               {utf8Text(printer.ip), utf8Text(printer.manufacturer), utf8Text(printer.model)});
}

void MainBlkWindow::onOverCountNetDevice(int count, netscan::ULONG ipAddress,
                                         netscan::ULONG subnetMask) {
    notifyPage("notifyOverCountNetDeviceByCpp",
               {JsValue::integer(count), JsValue::integer(static_cast<qint64>(ipAddress)),
                JsValue::integer(static_cast<qint64>(subnetMask))});
}

void MainBlkWindow::onUsbPrinters(const std::vector<devices::USBPrinterInfo>& printers) {
    for (const devices::USBPrinterInfo& printer : printers) {
        const QByteArray json = usbPrinterJson(printer);
        qDebug().noquote() << QString::fromUtf8(json);
        notifyPage("notifyUsbPrinterByCpp", {JsValue::string(json)});
    }
}

// Each USB device with the devices of its container, unless the service filter drops the group;
// the tree goes with the last reference to the report.
void MainBlkWindow::onUsbTree(std::shared_ptr<devices::UsbTreeReport> report) {
    if (!report)
        return;
    for (const devices::UsbDeviceGroup& group : devices::usbDeviceGroups(*report, m_serviceFilter))
        notifyPage("notifyUsbPrinterByCpp2", {usbDeviceGroupValue(group)});
}

void MainBlkWindow::notifySharePrinterByCpp(std::string ip, std::string deviceName,
                                            std::string group,
                                            std::vector<std::wstring> printerNames, int code) {
    QList<JsValue> names;
    for (const std::wstring& name : printerNames)
        names.append(JsValue::string(QString::fromStdWString(name)));
    notifyPage("notifySharePrinterByCpp", {utf8Text(ip), utf8Text(deviceName), utf8Text(group),
                                           JsValue::arrayOf(names), JsValue::integer(code)});
}

}  // namespace mainwindow
