#include "PrinterSearcherThread.h"

#include "platform/HandOver.h"

namespace netscan {

PrinterSearcherThread::PrinterSearcherThread(int mode, QObject* parent)
    : QThread(parent), m_mode(mode) {}

void PrinterSearcherThread::registerMetaTypes(int mode) {
    if (mode == kNetworkPrinters) {
        qRegisterMetaType<std::vector<std::wstring>>("std::vector<std::wstring>");
        qRegisterMetaType<std::vector<devices::USBPrinterInfo>>(
            "std::vector<devices::USBPrinterInfo>");
        qRegisterMetaType<NetPrinterInfo>("NetPrinterInfo");
        qRegisterMetaType<std::vector<devices::DeviceItem*>>("std::vector<devices::DeviceItem*>");
        qRegisterMetaType<std::shared_ptr<devices::UsbTreeReport>>(
            "std::shared_ptr<devices::UsbTreeReport>");
        qRegisterMetaType<ULONG>("ULONG");
    } else {
        qRegisterMetaType<std::string>("std::string");
        qRegisterMetaType<std::vector<std::wstring>>("std::vector<std::wstring>");
    }
}

// Whoever deletes a searcher has waited for its thread to end (QThread::wait, whose hand-over
// ThreadSanitizer does not see) or never started it.
PrinterSearcherThread::~PrinterSearcherThread() {
    platform::handOver::taken(this);
}

void PrinterSearcherThread::run() {
    runScan(m_mode);
    platform::handOver::giving(this);
}

bool PrinterSearcherThread::reportProgress(int current, int phase, int progressEvent,
                                           int curMachine, int totalMachine) {
    const PageProgress page = pageProgress(scope, current, phase);
    emit progress(page.current, page.total, progressEvent, curMachine, totalMachine);
    return true;
}

void PrinterSearcherThread::reportUsbPrinters(
    const std::vector<devices::USBPrinterInfo>& printers) {
    emit usb1(printers);
}

void PrinterSearcherThread::reportUsbTree(std::shared_ptr<devices::UsbTreeReport> report) {
    emit usb2(std::move(report));
}

void PrinterSearcherThread::reportNetPrinter(const NetPrinterInfo& printer) {
    emit netPrinter(printer);
}

void PrinterSearcherThread::reportSharePrinter(const std::string& ip, const std::string& deviceName,
                                               const std::string& group,
                                               const std::vector<std::wstring>& printerNames,
                                               int code) {
    emit sharePrinter(ip, deviceName, group, printerNames, code);
}

void PrinterSearcherThread::reportOverCount(int count, ULONG ipAddress, ULONG subnetMask) {
    emit overCountNetDevice(count, ipAddress, subnetMask);
}

void PrinterSearcherThread::reportFinish() {
    emit finish();
}

}  // namespace netscan
