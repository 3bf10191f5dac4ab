#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include "NetworkFixture.h"
#include "TestMain.h"
#include "netscan/PrinterSearcherThread.h"

using namespace netscantest;
using netscan::PrinterSearcher;
using netscan::PrinterSearcherThread;

namespace {

// The progress signals of a scan as (current, total, event, machine, machines) rows.
QList<QList<int>> progressRows(const QSignalSpy& spy) {
    QList<QList<int>> rows;
    for (const QList<QVariant>& signal : spy) {
        QList<int> row;
        for (const QVariant& value : signal)
            row << value.toInt();
        rows << row;
    }
    return rows;
}

// Runs a searcher to its end (at most a minute), asking it to stop after `interruptAfterMs`
// (never when negative).
bool runToEnd(PrinterSearcherThread& searcher, int interruptAfterMs = -1) {
    searcher.start();
    if (interruptAfterMs >= 0) {
        QThread::msleep(static_cast<unsigned long>(interruptAfterMs));
        searcher.state = PrinterSearcher::kInterruptRequested;
    }
    return searcher.wait(60000);
}

}  // namespace

// Whole scans on simulated adapters. Their subnets are made up, so no packet leaves the PC:
// each host behind them is one that does not answer the echo.
class ScanRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrinterSearcherThread::registerMetaTypes(1); }

    // The USB phase reports 1 and 3, the network phase runs from 5 to 100, and one finish
    // comes last.
    void progressInOrderAndOneFinish() {
        QVERIFY(setNetwork({adapter(5, "10.0.0.1", "255.255.255.252")}, {}));
        PrinterSearcherThread searcher(PrinterSearcher::kNetworkPrinters, nullptr);
        searcher.usbPhase = [](PrinterSearcher& scan) {
            scan.reportProgress(3, PrinterSearcher::kUsbPhase, PrinterSearcher::kUsbStepAdvanced, 0,
                                0);
            scan.reportUsbPrinters({devices::USBPrinterInfo{}});
        };
        QSignalSpy progress(&searcher, &PrinterSearcherThread::progress);
        QSignalSpy usb(&searcher, &PrinterSearcherThread::usb1);
        QSignalSpy finish(&searcher, &PrinterSearcherThread::finish);
        QVERIFY(runToEnd(searcher));
        const QList<QList<int>> expected{
            {1, 100, 3, 0, 0}, {3, 100, 4, 0, 0}, {5, 100, 1, 0, 0}, {100, 100, 0, 1, 1}};
        QCOMPARE(progressRows(progress), expected);
        QCOMPARE(usb.count(), 1);
        QCOMPARE(finish.count(), 1);
        QCOMPARE(searcher.state.load(), int(PrinterSearcher::kEndedNormally));
    }

    void noAdaptersFinishesNormally() {
        QVERIFY(setNetwork({}, {}));
        PrinterSearcherThread searcher(PrinterSearcher::kNetworkPrinters, nullptr);
        searcher.usbPhase = [](PrinterSearcher&) {};
        QSignalSpy progress(&searcher, &PrinterSearcherThread::progress);
        QSignalSpy finish(&searcher, &PrinterSearcherThread::finish);
        QVERIFY(runToEnd(searcher));
        QCOMPARE(progressRows(progress), (QList<QList<int>>{{1, 100, 3, 0, 0}}));
        QCOMPARE(finish.count(), 1);
        QCOMPARE(searcher.state.load(), int(PrinterSearcher::kEndedNormally));
    }

    // However late or early the interrupt comes, the scan ends with one finish, interrupted.
    void interruptAtRandomPoints() {
        QVERIFY(setNetwork({adapter(5, "10.1.0.1", "255.255.255.0")}, {}));
        for (int round = 0; round < 6; ++round) {
            const int delay = QRandomGenerator::global()->bounded(1500);
            PrinterSearcherThread searcher(PrinterSearcher::kNetworkPrinters, nullptr);
            QSignalSpy finish(&searcher, &PrinterSearcherThread::finish);
            QSignalSpy progress(&searcher, &PrinterSearcherThread::progress);
            QVERIFY2(runToEnd(searcher, delay), qPrintable(QString::number(delay)));
            QCOMPARE(finish.count(), 1);
            QCOMPARE(searcher.state.load(), int(PrinterSearcher::kEndedByInterrupt));
            // Each probe thread stops after the address it is working on.
            QVERIFY(progress.count() <= 2 + 10 * (delay / 400 + 2));
        }
    }

    // The page may interrupt a scan it has just started, before its thread has run at all (a
    // busy machine): the interrupt is kept, and the scan ends as interrupted at once.
    void interruptBeforeTheThreadRunsIsKept() {
        QVERIFY(setNetwork({adapter(5, "10.0.0.1", "255.255.255.252")}, {}));
        PrinterSearcherThread searcher(PrinterSearcher::kNetworkPrinters, nullptr);
        searcher.usbPhase = [](PrinterSearcher& scan) {
            while (scan.isRunning())
                QThread::msleep(5);
        };
        QSignalSpy finish(&searcher, &PrinterSearcherThread::finish);
        searcher.state = PrinterSearcher::kInterruptRequested;
        QVERIFY2(runToEnd(searcher), "the scan did not end");
        QCOMPARE(finish.count(), 1);
        QCOMPARE(searcher.state.load(), int(PrinterSearcher::kEndedByInterrupt));
    }

    void interruptDuringUsbPhaseSkipsTheNetwork() {
        QVERIFY(setNetwork({adapter(5, "10.0.0.1", "255.255.255.252")}, {}));
        PrinterSearcherThread searcher(PrinterSearcher::kNetworkPrinters, nullptr);
        searcher.usbPhase = [](PrinterSearcher& scan) {
            while (scan.isRunning())
                QThread::msleep(5);
        };
        QSignalSpy progress(&searcher, &PrinterSearcherThread::progress);
        QSignalSpy finish(&searcher, &PrinterSearcherThread::finish);
        QVERIFY(runToEnd(searcher, 50));
        QCOMPARE(progressRows(progress), (QList<QList<int>>{{1, 100, 3, 0, 0}}));
        QCOMPARE(finish.count(), 1);
        QCOMPARE(searcher.state.load(), int(PrinterSearcher::kEndedByInterrupt));
    }

    void sharedPrinterScanWithoutHostQueryProbesNothing() {
        QVERIFY(setNetwork({adapter(5, "10.0.0.1", "255.255.255.252")}, {}));
        PrinterSearcherThread searcher(PrinterSearcher::kSharedPrinters, nullptr);
        QSignalSpy progress(&searcher, &PrinterSearcherThread::progress);
        QSignalSpy finish(&searcher, &PrinterSearcherThread::finish);
        QVERIFY(runToEnd(searcher));
        QCOMPARE(progress.count(), 0);
        QCOMPARE(finish.count(), 1);
    }

    // Mode 2 reports the hosts whose query code is 0 or 1 and counts only those in progress.
    void sharedPrinterScanReportsCodesZeroAndOne() {
        QVERIFY(setNetwork({adapter(5, "127.0.0.1", "255.255.255.248")}, {}));
        PrinterSearcherThread searcher(PrinterSearcher::kSharedPrinters, nullptr);
        searcher.hostShareQuery = [](const std::string& ip) {
            PrinterSearcher::HostShares shares;
            shares.ip = ip;
            shares.code = ip == "127.0.0.2" ? 0 : ip == "127.0.0.3" ? 1 : 53;
            shares.printerNames = {L"LaserJet"};
            return shares;
        };
        QSignalSpy shared(&searcher, &PrinterSearcherThread::sharePrinter);
        QSignalSpy progress(&searcher, &PrinterSearcherThread::progress);
        QVERIFY(runToEnd(searcher));
        QStringList hosts;
        for (const QList<QVariant>& signal : shared)
            hosts << QString::fromStdString(signal.at(0).value<std::string>());
        hosts.sort();
        QCOMPARE(hosts, (QStringList{"127.0.0.2", "127.0.0.3"}));
        QCOMPARE(progress.count(), 1 + 2);
    }
};

namespace {
const bool registered = registerTest<ScanRunTest>("ScanRunTest");
}

#include "ScanRunTest.moc"
