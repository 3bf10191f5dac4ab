#include "SimSpooler.h"

#include <QDir>
#include <QElapsedTimer>

#include <algorithm>

#include <poll.h>

#include <unordered_map>

#include "ConnectDialog.h"
#include "SimChangeNotification.h"
#include "SimPrinterHandle.h"
#include "SpoolerEditor.h"
#include "SpoolerReader.h"
#include "platform/FileSystem.h"
#include "platform/NetConnections.h"
#include "platform/Registry.h"
#include "platform/Sockets.h"
#include "platform/sim/core/ChangeWatch.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/services/ServiceState.h"

namespace platform::sim::spooler {

namespace {

constexpr const wchar_t* kPrintersKey = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr const wchar_t* kSpoolDirectoryValue = L"DefaultSpoolDirectory";
constexpr const wchar_t* kFallbackSpoolDirectory = L"C:\\Windows\\System32\\spool\\PRINTERS";

// Sizes of the records in the layout of a 32-bit process (the Windows program is 32-bit):
// PRINTER_INFO_1 has 4 fields, PRINTER_INFO_2 21 fields of 4 bytes; DEVMODEW is 220 bytes.
constexpr std::uint32_t kPrinterInfo1Bytes = 16;
constexpr std::uint32_t kPrinterInfo2Bytes = 84;
constexpr std::uint32_t kDevModeBytes = 220;
constexpr std::uint32_t kPrinterInfo1Flags = 0x00800000;  // PRINTER_ENUM_ICON8

std::uint32_t textBytes(const std::wstring& text) {
    return text.empty() ? 0 : static_cast<std::uint32_t>((text.size() + 1) * 2);
}

std::uint32_t recordBytes(const PrinterInfo2& info) {
    std::uint32_t bytes = kPrinterInfo2Bytes + (info.devMode ? kDevModeBytes : 0);
    for (const std::wstring* text :
         {&info.serverName, &info.printerName, &info.shareName, &info.portName, &info.driverName,
          &info.comment, &info.location, &info.sepFile, &info.printProcessor, &info.dataType,
          &info.parameters}) {
        bytes += textBytes(*text);
    }
    return bytes;
}

PrinterInfo1 levelOne(const PrinterInfo2& info) {
    PrinterInfo1 record;
    record.flags = kPrinterInfo1Flags;
    record.name = info.printerName;
    record.description = info.printerName + L"," + info.driverName + L"," + info.location;
    record.comment = info.comment;
    return record;
}

std::uint32_t recordBytes(const PrinterInfo1& info) {
    return kPrinterInfo1Bytes + textBytes(info.description) + textBytes(info.name) +
           textBytes(info.comment);
}

bool isWanted(const QueueEntry& queue, std::uint32_t flags) {
    const bool connection = !queue.info.serverName.empty();
    return connection ? (flags & spool::kEnumConnections) != 0 : (flags & spool::kEnumLocal) != 0;
}

// "\\host\share" -> host and share; false when the text does not have that form.
bool splitConnectionPath(const std::wstring& path, QString& host, QString& share) {
    const QString text = QString::fromStdWString(path);
    if (!text.startsWith(QLatin1String("\\\\"))) {
        return false;
    }
    const int separator = text.indexOf(QLatin1Char('\\'), 2);
    if (separator < 0) {
        return false;
    }
    host = text.mid(2, separator - 2);
    share = text.mid(separator + 1);
    return !host.isEmpty() && !share.contains(QLatin1Char('\\'));
}

class SimSpooler final : public Spooler {
public:
    SimSpooler(Machine& machine, const QString& folder, NetConnections& connections,
               std::function<std::uint32_t()> serviceProcess)
        : m_reader(
              std::make_shared<SpoolerReader>(machine.store(), folder, std::move(serviceProcess))),
          m_computerName(machine.system().computerName),
          m_connections(connections) {}

    win32::Error enumPrinters2(std::uint32_t flags, std::vector<PrinterInfo2>& printers) override {
        printers.clear();
        const auto snapshot = current();
        if (!m_reader->isRunning(snapshot)) {
            return win32::kRpcServerUnavailable;
        }
        std::unordered_map<int, std::uint32_t> jobCounts;
        // Held for the loop: a range-for over *jobs() would let the list go at once, and another
        // thread's read of the spool folder may replace it in the index meanwhile.
        const std::shared_ptr<const std::vector<SpoolJob>> jobs = m_reader->jobs();
        for (const SpoolJob& job : *jobs) {
            ++jobCounts[job.queueId];
        }
        for (const QueueEntry& queue : snapshot->queues) {
            if (isWanted(queue, flags)) {
                printers.push_back(queue.info);
                printers.back().cJobs = jobCounts[queue.id];
            }
        }
        return win32::kSuccess;
    }

    win32::Error enumPrinters1(std::uint32_t flags, std::vector<PrinterInfo1>& printers) override {
        std::vector<PrinterInfo2> full;
        const win32::Error error = enumPrinters2(flags, full);
        printers.clear();
        for (const PrinterInfo2& info : full) {
            printers.push_back(levelOne(info));
        }
        return error;
    }

    win32::Error enumPrintersSize(std::uint32_t flags, std::uint32_t level,
                                  EnumerationSize& size) override {
        size = EnumerationSize();
        std::vector<PrinterInfo2> full;
        const win32::Error error = enumPrinters2(flags, full);
        if (error != win32::kSuccess) {
            return error;
        }
        for (const PrinterInfo2& info : full) {
            size.needed += level == 1 ? recordBytes(levelOne(info)) : recordBytes(info);
        }
        return size.needed == 0 ? win32::kSuccess : win32::kInsufficientBuffer;
    }

    win32::Error openPrinter(const std::wstring& name, std::uint32_t access,
                             std::unique_ptr<PrinterHandle>& handle) override {
        handle.reset();
        const auto snapshot = current();
        if (!m_reader->isRunning(snapshot)) {
            return win32::kRpcServerUnavailable;
        }
        if (isServerName(name)) {
            handle = makeServerHandle(m_reader, access);
            return win32::kSuccess;
        }
        const QueueEntry* queue = snapshot->findByName(name);
        if (queue == nullptr) {
            return win32::kInvalidPrinterName;
        }
        constexpr std::uint32_t kUseRights = spool::kPrinterRead | spool::kAccessUse;
        if (queue->useOnly && (access & ~kUseRights) != 0) {
            return win32::kAccessDenied;
        }
        handle = makeQueueHandle(m_reader, queue->id, access);
        return win32::kSuccess;
    }

    win32::Error defaultPrinter(std::wstring& name) override {
        const auto snapshot = current();
        if (!m_reader->isRunning(snapshot)) {
            return win32::kRpcServerUnavailable;
        }
        name = snapshot->defaultPrinter;
        return name.empty() ? win32::kFileNotFound : win32::kSuccess;
    }

    win32::Error setDefaultPrinter(const std::wstring& name) override {
        const auto snapshot = current();
        if (!m_reader->isRunning(snapshot)) {
            return win32::kRpcServerUnavailable;
        }
        return editor().setDefaultPrinter(QString::fromStdWString(name));
    }

    std::int32_t deviceCapabilities(const std::wstring& printer, const std::wstring&,
                                    std::uint16_t capability,
                                    std::vector<std::int32_t>* output) override {
        const auto snapshot = current();
        const QueueEntry* queue =
            m_reader->isRunning(snapshot) ? snapshot->findByName(printer) : nullptr;
        if (queue == nullptr) {
            return -1;
        }
        const QueueCapabilities& capabilities = queue->capabilities;
        switch (capability) {
            case spool::kDcEnumResolutions:
                if (output != nullptr) {
                    *output = capabilities.resolutions;
                }
                return static_cast<std::int32_t>(capabilities.resolutions.size() / 2);
            case spool::kDcDuplex:
                return capabilities.duplex ? 1 : 0;
            case spool::kDcColorDevice:
                return capabilities.color ? 1 : 0;
            case spool::kDcPrintRatePpm:
                return capabilities.pagesPerMinute;
            default:
                return -1;
        }
    }

    win32::Error addPrinterConnection(const std::wstring& path) override {
        const auto snapshot = current();
        if (!m_reader->isRunning(snapshot)) {
            return win32::kRpcServerUnavailable;
        }
        QString host;
        QString share;
        if (!splitConnectionPath(path, host, share)) {
            return win32::kInvalidPrinterName;
        }
        QString comment;
        const win32::Error error = checkPrinterShare(host, share, comment);
        if (error != win32::kSuccess) {
            return error;
        }
        return editor().addConnection(QStringLiteral("\\\\") + host, share, comment);
    }

    win32::Error deletePrinterConnection(const std::wstring& name) override {
        const auto snapshot = current();
        if (!m_reader->isRunning(snapshot)) {
            return win32::kRpcServerUnavailable;
        }
        return editor().removeConnection(QString::fromStdWString(name));
    }

    win32::Error waitForChange(const std::vector<ChangeNotification*>& notifications, int timeoutMs,
                               std::size_t& index) override {
        std::vector<SimChangeNotification*> watched;
        for (ChangeNotification* notification : notifications) {
            auto* own = dynamic_cast<SimChangeNotification*>(notification);
            if (own == nullptr) {
                return win32::kInvalidHandle;
            }
            watched.push_back(own);
        }
        if (watched.empty()) {
            return win32::kInvalidParameter;
        }
        // Watching before looking, so that no change falls between the look and the wait. The
        // services document is watched too: a spooler that stops ends every wait on it.
        ChangeWatch watch(m_reader->stateDirectory(), QLatin1String(kSpoolerFacility));
        ChangeWatch serviceWatch(m_reader->stateDirectory(),
                                 QLatin1String(services::kServicesFacility));
        if (!watch.isValid() || !serviceWatch.isValid()) {
            return win32::kNotEnoughMemory;
        }
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            if (!m_reader->isRunning(m_reader->snapshot())) {
                return win32::kRpcServerUnavailable;
            }
            for (std::size_t i = 0; i < watched.size(); ++i) {
                if (watched[i]->isSignalled()) {
                    index = i;
                    return win32::kSuccess;
                }
            }
            const int remaining =
                timeoutMs < 0 ? -1 : std::max<int>(0, timeoutMs - int(timer.elapsed()));
            if (timeoutMs >= 0 && remaining == 0) {
                return spool::kErrorWaitTimeout;
            }
            pollfd fds[] = {{watch.fd(), POLLIN, 0}, {serviceWatch.fd(), POLLIN, 0}};
            ::poll(fds, 2, remaining);
            watch.wait(0);
            serviceWatch.wait(0);
        }
    }

    win32::Error connectToPrinterDialog(std::intptr_t ownerWindow) override {
        return runConnectDialog(ownerWindow, [this](const QString& path) {
            return addPrinterConnection(path.toStdWString());
        });
    }

private:
    // The state, after writing the jobs a newly seeded profile describes into the spool
    // folder: what the spooler service does when it starts on a new machine.
    std::shared_ptr<const SpoolerSnapshot> current() {
        auto snapshot = m_reader->snapshot();
        if (snapshot && snapshot->hasJobsToSpool) {
            editor().spoolProfileJobs();
            snapshot = m_reader->snapshot();
        }
        return snapshot;
    }

    bool isServerName(const std::wstring& name) const {
        return QString::fromStdWString(name).compare(QStringLiteral("\\\\") + m_computerName,
                                                     Qt::CaseInsensitive) == 0;
    }

    // One editor per change: editors keep their last error text, and the spooler is used from
    // several threads at once.
    SpoolerEditor editor() { return SpoolerEditor(m_reader->store(), m_reader->spoolFolder()); }

    // Asks the host for its shares, as the spooler does before it makes a connection, and
    // answers the error AddPrinterConnection gives on Windows for the same situation:
    //   1722 (RPC server unavailable)   the host does not answer (refused, unreachable, timed out)
    //   1801 (invalid printer name)     the host has no such share, the share is not a printer,
    //                                   the host name does not resolve, or it is not a plain
    //                                   name or address
    //   5    (access denied)            the host refuses to list its shares to this user
    // `comment` receives the share's comment.
    win32::Error checkPrinterShare(const QString& host, const QString& share, QString& comment) {
        if (share.isEmpty() ||
            (sockets::parseAddress(host.toStdString()) == sockets::kAddressNone &&
             sockets::resolveHost(host.toLocal8Bit().toStdString()) == sockets::kAddressNone)) {
            return win32::kInvalidPrinterName;
        }
        std::vector<ShareInfo1> shares;
        std::uint32_t resume = 0;
        const win32::Error listing = m_connections.shareEnum(host.toStdWString(), shares, resume);
        if (listing == win32::kAccessDenied || listing == win32::kNotSupported) {
            return listing;
        }
        if (listing == win32::kInvalidName) {
            return win32::kInvalidPrinterName;
        }
        if (listing != win32::kSuccess) {
            return win32::kRpcServerUnavailable;
        }
        for (const ShareInfo1& entry : shares) {
            if (QString::fromStdWString(entry.name).compare(share, Qt::CaseInsensitive) != 0) {
                continue;
            }
            if (entry.type != net::kShareTypePrintQueue) {
                return win32::kInvalidPrinterName;
            }
            comment = QString::fromStdWString(entry.remark);
            return win32::kSuccess;
        }
        return win32::kInvalidPrinterName;
    }

    std::shared_ptr<SpoolerReader> m_reader;
    QString m_computerName;
    NetConnections& m_connections;
};

}  // namespace

QString spoolFolder(Registry& registry, const FileSystem& fileSystem) {
    std::wstring folder;
    if (reg::readString(registry, RegistryRoot::LocalMachine, kPrintersKey, kSpoolDirectoryValue,
                        folder) != win32::kSuccess ||
        folder.empty()) {
        folder = kFallbackSpoolDirectory;
    }
    return QString::fromStdWString(fileSystem.hostPath(folder));
}

std::unique_ptr<Spooler> makeSimSpooler(Machine& machine, Registry& registry,
                                        const FileSystem& fileSystem, NetConnections& connections,
                                        std::function<std::uint32_t()> serviceProcess) {
    return std::make_unique<SimSpooler>(machine, spoolFolder(registry, fileSystem), connections,
                                        std::move(serviceProcess));
}

}  // namespace platform::sim::spooler
