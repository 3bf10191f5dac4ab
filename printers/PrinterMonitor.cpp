#include "PrinterMonitor.h"

#include <QLoggingCategory>

#include <algorithm>
#include <chrono>

#include "platform/Platform.h"
#include "platform/SystemInfo.h"

// The traces Windows builds write to the debugger output; shown when the category is enabled.
Q_LOGGING_CATEGORY(lcPrinterMonitor, "corvanta.printers.monitor", QtWarningMsg)

namespace PrinterAPI {

namespace {

namespace spool = platform::spool;
using platform::win32::kSuccess;

// The watch of one queue: its changes and deletion.
constexpr quint32 kQueueFilter = spool::kChangeSetPrinter | spool::kChangeDeletePrinter;
// The watch of the print server: additions.
constexpr quint32 kServerFilter = spool::kChangeAddPrinter;
constexpr quint32 kQueueAccess = spool::kAccessUse | spool::kReadControl;
constexpr quint32 kPassEnds = spool::kChangeAddPrinter | spool::kChangeDeletePrinter;
constexpr quint32 kLow16Bits = 0xFFFF;
// The wait is cut into slices so a monitor being destroyed notices within one.
constexpr int kStopCheckMs = 250;

const std::vector<std::uint16_t> kJobFields = {
    spool::kJobFieldPrinterName, spool::kJobFieldMachineName,  spool::kJobFieldUserName,
    spool::kJobFieldStatus,      spool::kJobFieldStatusString, spool::kJobFieldDocument,
    spool::kJobFieldSubmitted,   spool::kJobFieldTotalPages,   spool::kJobFieldPagesPrinted,
    spool::kJobFieldTotalBytes,  spool::kJobFieldBytesPrinted};

const std::vector<std::uint16_t> kServerPrinterFields = {spool::kPrinterFieldServerName,
                                                         spool::kPrinterFieldPrinterName,
                                                         spool::kPrinterFieldShareName,
                                                         spool::kPrinterFieldPortName,
                                                         spool::kPrinterFieldDriverName,
                                                         spool::kPrinterFieldDevMode,
                                                         spool::kPrinterFieldSecurityDescriptor,
                                                         spool::kPrinterFieldAttributes,
                                                         spool::kPrinterFieldStatus,
                                                         spool::kPrinterFieldFriendlyName};

std::vector<std::uint16_t> queuePrinterFields() {
    std::vector<std::uint16_t> fields = kServerPrinterFields;
    fields.insert(fields.end() - 1, spool::kPrinterFieldCJobs);  // before FRIENDLY_NAME
    return fields;
}

platform::NotifyOptions printerWatchOptions() {
    platform::NotifyOptions options;
    options.types = {{spool::kNotifyTypeJob, kJobFields},
                     {spool::kNotifyTypePrinter, queuePrinterFields()}};
    return options;
}

platform::NotifyOptions serverWatchOptions() {
    platform::NotifyOptions options;
    options.types = {{spool::kNotifyTypePrinter, kServerPrinterFields}};
    return options;
}

platform::NotifyOptions refreshOptions() {
    platform::NotifyOptions options;
    options.flags = spool::kNotifyOptionsRefresh;
    return options;
}

}  // namespace

PrinterMonitor& PrinterMonitor::instance() {
    // Never destroyed: its threads may be waiting on the spooler when the process ends.
    static PrinterMonitor* monitor =
        new PrinterMonitor(platform::spooler(), L"\\\\" + platform::systemInfo().computerName());
    return *monitor;
}

PrinterMonitor::PrinterMonitor(platform::Spooler& spooler, std::wstring serverName)
    : m_spooler(spooler),
      m_serverName(std::move(serverName)),
      m_printerOptions(printerWatchOptions()),
      m_serverOptions(serverWatchOptions()) {}

PrinterMonitor::~PrinterMonitor() {
    stop();
}

void PrinterMonitor::stop() {
    m_stopping = true;
    std::lock_guard<std::mutex> lock(m_threadsMutex);
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    m_threads.clear();
}

void PrinterMonitor::subscribeAndStart(webhost::WindowHandle window, quint32 mask) {
    subscribe(window, mask);
    std::lock_guard<std::mutex> lock(m_threadsMutex);
    m_threads.emplace_back([this] { run(); });
}

void PrinterMonitor::subscribe(webhost::WindowHandle window, quint32 mask) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_subscribers.emplace_back(window, mask);
}

void PrinterMonitor::unsubscribe(webhost::WindowHandle window) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                       [window](const auto& s) { return s.first == window; }),
                        m_subscribers.end());
}

// A pass that ends because the spooler stopped (its service was restarted, say) is followed,
// once the spooler runs again, by a fresh pass over the queues as they are then; only a pass
// that ends with the spooler running and nothing to watch ends the thread.
void PrinterMonitor::run() {
    while (!m_stopping) {
        bool spoolerDown = false;
        if ((runPass(spoolerDown) & kPassEnds) != 0) {
            continue;
        }
        if (!spoolerDown || !waitForSpooler()) {
            return;
        }
    }
}

bool PrinterMonitor::isSpoolerDown() {
    std::vector<platform::PrinterInfo2> queues;
    return m_spooler.enumPrinters2(spool::kEnumLocal, queues) ==
           platform::win32::kRpcServerUnavailable;
}

// Asks the spooler once a wait slice until it answers: the spooler announces nothing when it
// starts, and a watch cannot be opened before it runs.
bool PrinterMonitor::waitForSpooler() {
    while (!m_stopping) {
        if (!isSpoolerDown()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
    }
    return false;
}

std::vector<PrinterMonitor::Watch> PrinterMonitor::openWatches() {
    std::vector<Watch> watches;
    std::vector<platform::PrinterInfo2> queues;
    for (std::uint32_t flags : {spool::kEnumLocal, spool::kEnumConnections}) {
        std::vector<platform::PrinterInfo2> some;
        m_spooler.enumPrinters2(flags, some);
        queues.insert(queues.end(), some.begin(), some.end());
    }
    for (const platform::PrinterInfo2& queue : queues) {
        Watch watch;
        watch.name = QString::fromStdWString(queue.printerName);
        watch.serverName = QString::fromStdWString(queue.serverName);
        watch.kind = WatchKind::Queue;
        watch.filter = kQueueFilter;
        if (m_spooler.openPrinter(queue.printerName, kQueueAccess, watch.handle) == kSuccess &&
            watch.handle->findFirstChange(kQueueFilter, &m_printerOptions, watch.notification) ==
                kSuccess) {
            watches.push_back(std::move(watch));
        }
    }
    Watch server;
    server.name = QString::fromStdWString(m_serverName);
    server.kind = WatchKind::Server;
    server.filter = kServerFilter;
    if (m_spooler.openPrinter(m_serverName, 0, server.handle) == kSuccess &&
        server.handle->findFirstChange(kServerFilter, &m_serverOptions, server.notification) ==
            kSuccess) {
        watches.push_back(std::move(server));
    }
    return watches;
}

// The change flags and info of a signalled watch, asking again for everything when the
// spooler discarded what it could not keep. False when there is nothing to report.
bool PrinterMonitor::nextChange(Watch& watch, quint32& change,
                                std::unique_ptr<platform::NotifyInfo>& info) {
    std::uint32_t flags = 0;
    if (watch.notification->next(flags, nullptr, info) != kSuccess || flags == 0 || !info) {
        return false;
    }
    if ((info->flags & spool::kNotifyInfoDiscarded) != 0) {
        const platform::NotifyOptions refresh = refreshOptions();
        if (watch.notification->next(flags, &refresh, info) != kSuccess || !info) {
            return false;
        }
    }
    change = flags;
    return true;
}

quint32 PrinterMonitor::runPass(bool& spoolerDown) {
    std::vector<Watch> watches = openWatches();
    std::vector<platform::ChangeNotification*> notifications;
    for (Watch& watch : watches) {
        notifications.push_back(watch.notification.get());
    }
    if (notifications.empty()) {
        spoolerDown = isSpoolerDown();
        return 0;  // nothing to wait on
    }
    ++m_passesStarted;
    while (!m_stopping) {
        std::size_t index = 0;
        const platform::win32::Error waited =
            m_spooler.waitForChange(notifications, kStopCheckMs, index);
        if (waited == spool::kErrorWaitTimeout) {
            continue;
        }
        if (waited != kSuccess || index >= watches.size()) {
            spoolerDown = waited == platform::win32::kRpcServerUnavailable || isSpoolerDown();
            return 0;
        }
        Watch& watch = watches[index];
        quint32 change = 0;
        std::unique_ptr<platform::NotifyInfo> info;
        if (!nextChange(watch, change, info)) {
            continue;
        }
        if (watch.kind == WatchKind::Server) {
            serverCallback(change, watch, *info);
        } else {
            printerCallback(change, watch, *info);
        }
        if ((change & kPassEnds) != 0) {
            return change & kLow16Bits;
        }
    }
    return 0;
}

void PrinterMonitor::printerCallback(quint32 change, Watch& watch,
                                     const platform::NotifyInfo& info) {
    PrinterChangeInfo record;
    QString oldName;
    if ((change & spool::kChangeDeletePrinter) != 0) {
        qCDebug(lcPrinterMonitor) << "PRINTER_CHANGE_DELETE_PRINTER";
    } else if ((change & spool::kChangeSetPrinter) != 0) {
        qCDebug(lcPrinterMonitor) << "PRINTER_CHANGE_SET_PRINTER";
        for (const platform::NotifyInfoData& data : info.data) {
            if (data.type != spool::kNotifyTypePrinter) {
                continue;
            }
            record.dwNotifyField.append(data.field);
            switch (data.field) {
                case spool::kPrinterFieldPrinterName: {
                    const QString newName = QString::fromStdWString(data.text);
                    // A refresh reports the current name too; only a different name is a rename.
                    if (data.hasText && newName != watch.name) {
                        oldName = watch.name;
                        watch.name = newName;
                        record.newPrinterName = newName;
                    }
                    break;
                }
                case spool::kPrinterFieldAttributes:
                    record.dwAttribute = data.words[0];
                    break;
                case spool::kPrinterFieldStatus:
                    record.dwPrinterStatus = data.words[0];
                    break;
                case spool::kPrinterFieldCJobs:
                    record.dwCjobs = data.words[0];
                    break;
                default:
                    break;
            }
        }
    }
    record.dwChanged |= change;
    record.printerName = oldName.isEmpty() ? watch.name : oldName;
    record.printerServer = watch.serverName;
    deliver(change, record);
}

void PrinterMonitor::serverCallback(quint32 change, const Watch&,
                                    const platform::NotifyInfo& info) {
    PrinterChangeInfo record;
    record.dwChanged = change;
    if ((change & spool::kChangeAddPrinter) != 0) {
        qCDebug(lcPrinterMonitor) << "PRINTER_CHANGE_ADD_PRINTER";
        for (const platform::NotifyInfoData& data : info.data) {
            if (data.type != spool::kNotifyTypePrinter || !data.hasText) {
                continue;
            }
            if (data.field == spool::kPrinterFieldServerName) {
                record.printerServer = QString::fromStdWString(data.text);
            } else if (data.field == spool::kPrinterFieldPrinterName) {
                record.printerName = QString::fromStdWString(data.text);
            }
        }
    }
    deliver(change, record);
    qCDebug(lcPrinterMonitor).noquote()
        << "addPrinter server: " + record.printerServer + ". printer: " + record.printerName;
}

void PrinterMonitor::deliver(quint32 change, const PrinterChangeInfo& record) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [window, mask] : m_subscribers) {
        if ((mask & change) != 0) {
            webhost::postMessage(window, kMsgPrinterChange, change, 0,
                                 std::make_unique<PrinterChangePayload>(record));
        }
    }
}

}  // namespace PrinterAPI
