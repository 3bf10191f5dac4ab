// The change monitor end to end: changes made on the simulated PC (in this process or by
// corvanta-sim) reach subscribed windows as printer-change messages.
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "TestWindow.h"
#include "platform/Spooler.h"
#include "platform/sim/spooler/SimChangeNotification.h"
#include "platform/sim/spooler/SpoolerEditor.h"
#include "printers/PrinterMonitor.h"

using PrinterAPI::PrinterMonitor;
namespace spool = platform::spool;

namespace {

constexpr int kDeliveryTimeoutMs = 5000;

std::unique_ptr<PrinterMonitor> monitorOn(PcFolder& pc) {
    return std::make_unique<PrinterMonitor>(pc.pc().get<platform::Spooler>(),
                                            L"\\\\DESKTOP-4K7QW2M");
}

int runTool(const QString& machine, const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
               QStringList{QStringLiteral("--machine"), machine} + arguments);
    tool.waitForFinished();
    return tool.exitCode();
}

}  // namespace

class MonitorTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
        m_window = std::make_unique<TestWindow>();
        m_monitor = monitorOn(*m_pc);
    }

    void cleanup() {
        m_monitor.reset();
        m_window.reset();
        m_pc.reset();
    }

    void renameReportsOldAndNewName() {
        startMonitor(PrinterMonitor::kMaskAll);
        QCOMPARE(
            platform::sim::spooler::editorFor(m_pc->pc()).renameQueue("Office Laser", "Front Desk"),
            0u);
        const TestWindow::Received* renamed = waitFor("Office Laser", spool::kChangeSetPrinter);
        QVERIFY(renamed);
        QCOMPARE(renamed->info.newPrinterName, QStringLiteral("Front Desk"));
        QVERIFY(renamed->info.dwNotifyField.contains(spool::kPrinterFieldPrinterName));
        QCOMPARE(renamed->wParam, webhost::WParam(renamed->info.dwChanged));

        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .changeStatus("Front Desk", spool::kStatusPaused, 0),
                 0u);
        const TestWindow::Received* paused = waitFor("Front Desk", spool::kChangeSetPrinter);
        QVERIFY(paused);
        QVERIFY(paused->info.newPrinterName.isEmpty());
    }

    void pauseReportsStatus() {
        startMonitor(PrinterMonitor::kMaskAll);
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .changeStatus("Reception Color", spool::kStatusPaused, 0),
                 0u);
        const TestWindow::Received* paused = waitFor("Reception Color", spool::kChangeSetPrinter);
        QVERIFY(paused);
        QVERIFY(paused->info.dwNotifyField.contains(spool::kPrinterFieldStatus));
        QVERIFY(paused->info.dwPrinterStatus & spool::kStatusPaused);
        QVERIFY(paused->info.printerServer.isEmpty());
    }

    void additionFromAnotherProcess() {
        startMonitor(PrinterMonitor::kMaskAll);
        QCOMPARE(runTool(m_pc->directory(), {"printer", "add", "Plotter"}), 0);
        const TestWindow::Received* added = waitFor("Plotter", spool::kChangeAddPrinter);
        QVERIFY(added);
        QCOMPARE(added->info.dwChanged, spool::kChangeAddPrinter);
        QVERIFY(added->info.dwNotifyField.isEmpty());
        QVERIFY(added->info.printerServer.isEmpty());
        // The pass starts again and watches the new queue from then on.
        QTRY_VERIFY_WITH_TIMEOUT(m_monitor->passesStarted() >= 2, kDeliveryTimeoutMs);
        QCOMPARE(runTool(m_pc->directory(), {"printer", "pause", "Plotter"}), 0);
        QVERIFY(waitFor("Plotter", spool::kChangeSetPrinter));
    }

    void deletionRestartsThePass() {
        startMonitor(PrinterMonitor::kMaskAll);
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc()).removeQueue("Warehouse Printer"),
                 0u);
        QVERIFY(waitFor("Warehouse Printer", spool::kChangeDeletePrinter));
        QTRY_VERIFY_WITH_TIMEOUT(m_monitor->passesStarted() >= 2, kDeliveryTimeoutMs);
    }

    void jobsChangeTheCount() {
        startMonitor(PrinterMonitor::kMaskAll);
        QCOMPARE(runTool(m_pc->directory(), {"printer", "job", "Office Laser"}), 0);
        const TestWindow::Received* job = waitFor("Office Laser", spool::kChangeSetPrinter);
        QVERIFY(job);
        QVERIFY(job->info.dwNotifyField.contains(spool::kPrinterFieldCJobs));
        QCOMPARE(job->info.dwCjobs, 3u);
    }

    // A page count that is not a number is refused, not spooled as a job of 0 pages.
    void unreadablePageCountIsRefused() {
        QVERIFY(runTool(m_pc->directory(), {"printer", "job", "Office Laser", "--pages", "many"}) !=
                0);
        std::vector<platform::PrinterInfo2> queues;
        QCOMPARE(m_pc->pc().get<platform::Spooler>().enumPrinters2(spool::kEnumLocal, queues), 0u);
        const auto office = std::find_if(queues.begin(), queues.end(), [](const auto& queue) {
            return queue.printerName == L"Office Laser";
        });
        QVERIFY(office != queues.end());
        QCOMPARE(office->cJobs, 2u);
    }

    void additionsOnlySubscriber() {
        TestWindow additionsOnly;
        m_monitor->subscribe(additionsOnly.handle(), PrinterMonitor::kMaskAdditions);
        startMonitor(PrinterMonitor::kMaskAll);
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .changeStatus("Office Laser", spool::kStatusPaused, 0),
                 0u);
        QVERIFY(waitFor("Office Laser", spool::kChangeSetPrinter));
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .addQueue(QJsonObject{{"name", "Scanner Queue"}}),
                 0u);
        QVERIFY(waitFor("Scanner Queue", spool::kChangeAddPrinter));
        QTRY_COMPARE(additionsOnly.messages.size(), 1);
        QCOMPARE(additionsOnly.messages[0].info.printerName, QStringLiteral("Scanner Queue"));
        m_monitor->unsubscribe(additionsOnly.handle());
    }

    // More queues than one Windows wait can take (64 handles): every one is still watched.
    void manyQueuesAreAllWatched() {
        m_monitor.reset();
        m_pc = PcFolder::fromText(profileWithQueues(70));
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
        m_monitor = monitorOn(*m_pc);
        m_monitor->subscribeAndStart(m_window->handle(), PrinterMonitor::kMaskAll);
        QTRY_VERIFY(m_monitor->passesStarted() >= 1);
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .changeStatus("Queue 70", spool::kStatusPaused, 0),
                 0u);
        QVERIFY(waitFor("Queue 70", spool::kChangeSetPrinter));
    }

    // Only the kinds of change the filter names come back, whatever fields were asked for.
    void changeFlagsStayWithinTheFilter_data() {
        QTest::addColumn<quint32>("filter");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("set printer only")
            << quint32(spool::kChangeSetPrinter) << quint32(spool::kChangeSetPrinter);
        QTest::newRow("add job only")
            << quint32(spool::kChangeAddJob) << quint32(spool::kChangeAddJob);
        QTest::newRow("both") << quint32(spool::kChangeSetPrinter | spool::kChangeAddJob)
                              << quint32(spool::kChangeSetPrinter | spool::kChangeAddJob);
    }

    void changeFlagsStayWithinTheFilter() {
        QFETCH(quint32, filter);
        QFETCH(quint32, expected);
        std::unique_ptr<platform::PrinterHandle> handle;
        QCOMPARE(m_pc->pc().get<platform::Spooler>().openPrinter(L"Office Laser", spool::kAccessUse,
                                                                 handle),
                 0u);
        platform::NotifyOptions options;
        options.types = {{spool::kNotifyTypeJob, {spool::kJobFieldDocument}},
                         {spool::kNotifyTypePrinter, {spool::kPrinterFieldCJobs}}};
        std::unique_ptr<platform::ChangeNotification> notification;
        QCOMPARE(handle->findFirstChange(filter, &options, notification), 0u);
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc()).addJob("Office Laser", {}), 0u);
        std::size_t index = 0;
        QCOMPARE(m_pc->pc().get<platform::Spooler>().waitForChange({notification.get()},
                                                                   kDeliveryTimeoutMs, index),
                 0u);
        std::uint32_t change = 0;
        std::unique_ptr<platform::NotifyInfo> info;
        QCOMPARE(notification->next(change, nullptr, info), 0u);
        QCOMPARE(change, expected);
    }

    // More changes than the spooler keeps for one notification: the info comes back discarded
    // and a refresh gives every requested field with the change flags.
    void discardedInfoIsRefreshed() {
        std::unique_ptr<platform::PrinterHandle> handle;
        QCOMPARE(m_pc->pc().get<platform::Spooler>().openPrinter(L"Office Laser", spool::kAccessUse,
                                                                 handle),
                 0u);
        platform::NotifyOptions options;
        options.types = {{spool::kNotifyTypeJob,
                          {spool::kJobFieldDocument, spool::kJobFieldStatus,
                           spool::kJobFieldTotalPages, spool::kJobFieldTotalBytes}},
                         {spool::kNotifyTypePrinter, {spool::kPrinterFieldCJobs}}};
        std::unique_ptr<platform::ChangeNotification> notification;
        QCOMPARE(handle->findFirstChange(spool::kChangeSetPrinter | spool::kChangeAddJob, &options,
                                         notification),
                 0u);
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc()).addJob("Office Laser", {}), 0u);
        }
        std::uint32_t change = 0;
        std::unique_ptr<platform::NotifyInfo> info;
        QCOMPARE(notification->next(change, nullptr, info), 0u);
        QVERIFY(info);
        QVERIFY(info->flags & spool::kNotifyInfoDiscarded);
        QVERIFY(change & spool::kChangeAddJob);
        platform::NotifyOptions refresh;
        refresh.flags = spool::kNotifyOptionsRefresh;
        QCOMPARE(notification->next(change, &refresh, info), 0u);
        QVERIFY(change & spool::kChangeAddJob);
        QCOMPARE(info->flags & spool::kNotifyInfoDiscarded, 0u);
        QCOMPARE(info->data.size(), std::size_t(1 + 22 * 4));  // cJobs and 4 fields of 22 jobs
    }

    // The spooler restarted under a running monitor (as the repair restarts it): the monitor
    // waits for it and watches the queues again, so a rename after the restart is reported.
    void spoolerRestartKeepsTheListLive() {
        startMonitor(PrinterMonitor::kMaskAll);
        const QString machine = m_pc->directory();
        QCOMPARE(runTool(machine, {"service", "stop", "Spooler"}), 0);
        QCOMPARE(runTool(machine, {"service", "start", "Spooler"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(m_monitor->passesStarted() >= 2, kDeliveryTimeoutMs);
        QCOMPARE(runTool(machine, {"printer", "rename", "Office Laser", "Front Desk"}), 0);
        const TestWindow::Received* renamed = waitFor("Office Laser", spool::kChangeSetPrinter);
        QVERIFY(renamed);
        QCOMPARE(renamed->info.newPrinterName, QStringLiteral("Front Desk"));
    }

    // Started while the spooler is stopped: the monitor waits for it to run and then reports
    // the queues as they are after the start, renames made while it was stopped included.
    void monitorStartedWithSpoolerStopped() {
        const QString machine = m_pc->directory();
        QCOMPARE(runTool(machine, {"service", "stop", "Spooler"}), 0);
        m_monitor->subscribeAndStart(m_window->handle(), PrinterMonitor::kMaskAll);
        QTest::qWait(300);
        QCOMPARE(m_monitor->passesStarted(), 0);
        QCOMPARE(runTool(machine, {"printer", "rename", "Office Laser", "Front Desk"}), 0);
        QCOMPARE(runTool(machine, {"service", "start", "Spooler"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(m_monitor->passesStarted() >= 1, kDeliveryTimeoutMs);
        QCOMPARE(runTool(machine, {"printer", "rename", "Front Desk", "Back Office"}), 0);
        const TestWindow::Received* renamed = waitFor("Front Desk", spool::kChangeSetPrinter);
        QVERIFY(renamed);
        QCOMPARE(renamed->info.newPrinterName, QStringLiteral("Back Office"));
    }

private:
    void startMonitor(quint32 mask) {
        m_monitor->subscribeAndStart(m_window->handle(), mask);
        QTRY_VERIFY(m_monitor->passesStarted() >= 1);
    }

    const TestWindow::Received* waitFor(const QString& printer, quint32 change) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kDeliveryTimeoutMs) {
            if (const TestWindow::Received* received = m_window->find(printer, change)) {
                return received;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return m_window->find(printer, change);
    }

    std::unique_ptr<PcFolder> m_pc;
    std::unique_ptr<TestWindow> m_window;
    std::unique_ptr<PrinterMonitor> m_monitor;
};

namespace {
const bool registered = registerTest<MonitorTest>("MonitorTest");
}  // namespace

#include "MonitorTest.moc"
