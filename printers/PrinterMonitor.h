#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "PrinterRecords.h"
#include "platform/Spooler.h"
#include "webhost/WindowMessages.h"

namespace PrinterAPI {

// Watches the spooler for queues added, deleted, renamed or changed, and posts each change as
// kMsgPrinterChange with a PrinterChangePayload to every subscribed window whose mask shares a
// bit with the change flags (PRINTER_CHANGE_ADD_PRINTER 1, _SET_PRINTER 2, _DELETE_PRINTER 4).
//
// A monitor thread runs passes: each pass watches every queue (this PC's and the connections)
// and the print server, and ends when a queue was added or deleted, so that the next pass
// watches the new set. Every queue is watched however many there are. When the spooler stops
// (the repair restarts it), the thread waits for it to run again and starts a fresh pass.
class PrinterMonitor {
public:
    // The process-wide monitor on platform::spooler(); created on first use, never destroyed.
    static PrinterMonitor& instance();

    // `serverName` is "\\<computer name>", the print server's name for the server watch.
    PrinterMonitor(platform::Spooler& spooler, std::wstring serverName);
    // Stops the threads this monitor started and waits for them (monitors other than the
    // process-wide one, in tests and benchmarks).
    ~PrinterMonitor();
    PrinterMonitor(const PrinterMonitor&) = delete;
    PrinterMonitor& operator=(const PrinterMonitor&) = delete;

    // Stops the threads this monitor started and waits for them (at most one wait period, a
    // quarter second). Start-up calls it for the process-wide monitor before the process ends.
    void stop();

    // Subscribes the window and starts one more monitor thread (start-up calls it once).
    void subscribeAndStart(webhost::WindowHandle window, quint32 mask);
    void subscribe(webhost::WindowHandle window, quint32 mask);
    void unsubscribe(webhost::WindowHandle window);

    // Passes that have opened their watches (tests wait for the first before changing things).
    int passesStarted() const { return m_passesStarted; }

    static constexpr quint32 kMaskAll = 7;
    static constexpr quint32 kMaskAdditions = 1;

private:
    enum class WatchKind { Queue = 0, Server = 1 };
    struct Watch {
        QString name;
        QString serverName;
        std::unique_ptr<platform::PrinterHandle> handle;
        WatchKind kind = WatchKind::Queue;
        quint32 filter = 0;
        // Declared after the handle: closed before it.
        std::unique_ptr<platform::ChangeNotification> notification;
    };

    void run();
    // One pass: the change flags that ended it, or 0 with `spoolerDown` telling whether the
    // spooler had stopped.
    quint32 runPass(bool& spoolerDown);
    bool isSpoolerDown();
    bool waitForSpooler();
    std::vector<Watch> openWatches();
    bool nextChange(Watch& watch, quint32& change, std::unique_ptr<platform::NotifyInfo>& info);
    void printerCallback(quint32 change, Watch& watch, const platform::NotifyInfo& info);
    void serverCallback(quint32 change, const Watch& watch, const platform::NotifyInfo& info);
    void deliver(quint32 change, const PrinterChangeInfo& record);

    platform::Spooler& m_spooler;
    std::wstring m_serverName;
    platform::NotifyOptions m_printerOptions;
    platform::NotifyOptions m_serverOptions;
    std::mutex m_mutex;  // guards m_subscribers
    std::vector<std::pair<webhost::WindowHandle, quint32>> m_subscribers;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_passesStarted{0};
    std::mutex m_threadsMutex;
    std::vector<std::thread> m_threads;
};

}  // namespace PrinterAPI
