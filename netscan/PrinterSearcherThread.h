#pragma once

#include <QThread>

#include <string>
#include <vector>

#include "PrinterSearcher.h"

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(std::vector<std::wstring>)

namespace netscan {

// One scan of one mode on a thread of its own, owned by the main window. Each report hook
// becomes a signal, so results reach the UI thread as queued calls in the order they were made;
// `finish` comes after every other signal of the scan.
class PrinterSearcherThread : public QThread, public PrinterSearcher {
    Q_OBJECT
public:
    PrinterSearcherThread(int mode, QObject* parent);
    ~PrinterSearcherThread() override;

    int mode() const { return m_mode; }

    // Registers the types the queued signals of `mode` carry.
    static void registerMetaTypes(int mode);

    bool reportProgress(int current, int phase, int progressEvent, int curMachine,
                        int totalMachine) override;
    void reportUsbPrinters(const std::vector<devices::USBPrinterInfo>& printers) override;
    void reportUsbTree(std::shared_ptr<devices::UsbTreeReport> report) override;
    void reportNetPrinter(const NetPrinterInfo& printer) override;
    void reportSharePrinter(const std::string& ip, const std::string& deviceName,
                            const std::string& group, const std::vector<std::wstring>& printerNames,
                            int code) override;
    void reportOverCount(int count, ULONG ipAddress, ULONG subnetMask) override;
    void reportFinish() override;

signals:
    void usb1(std::vector<devices::USBPrinterInfo> usbPrinterInfo);
    void usb2(std::shared_ptr<devices::UsbTreeReport> report);
    void netPrinter(netscan::NetPrinterInfo printerInfo);
    void sharePrinter(std::string ip, std::string deviceName, std::string group,
                      std::vector<std::wstring> printerNames, int code);
    void progress(int current, int total, int progressEvent, int curMachine, int totalMachine);
    void finish();
    void overCountNetDevice(int count, netscan::ULONG ipAddress, netscan::ULONG subnetMask);

protected:
    void run() override;

private:
    const int m_mode;
};

}  // namespace netscan
