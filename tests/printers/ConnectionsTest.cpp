// Printer connections against real SMB hosts of the test LAN (Samba on loopback, started and
// stopped by the testbed's lan.sh).
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "TestMain.h"

#include <unistd.h>

#include "PcFolder.h"
#include "TestWindow.h"
#include "platform/Spooler.h"
#include "printers/PrinterConnections.h"
#include "printers/PrinterInventory.h"

namespace {

constexpr const char* kGuestHost = "127.0.0.20";     // printer share LaserJet, disk share Scans
constexpr const char* kPasswordHost = "127.0.0.21";  // lists its shares to known users only
constexpr const char* kNoHost = "127.0.0.99";        // nothing listens there

QString lanScript() {
    return QStringLiteral(CORVANTA_TESTBED_DIR "/lan.sh");
}

bool runLan(const QString& command) {
    QProcess lan;
    lan.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lan.start(QStringLiteral("/bin/bash"), {lanScript(), command});
    return lan.waitForFinished(60000) && lan.exitCode() == 0;
}

}  // namespace

class ConnectionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (::geteuid() != 0 || QStandardPaths::findExecutable("smbd", {"/usr/sbin"}).isEmpty() ||
            !QFileInfo::exists(lanScript())) {
            QSKIP(
                "needs root, Samba (apt-get install samba smbclient) and the testbed's lan.sh; "
                "run the test as root on a machine with those to check connections");
        }
        m_started = runLan(QStringLiteral("lo-up"));
        QVERIFY2(m_started, "lan.sh lo-up failed");
    }

    void cleanupTestCase() {
        if (m_started) {
            runLan(QStringLiteral("lo-down"));
        }
    }

    void init() {
        m_pc = PcFolder::fromFixture(QStringLiteral("pc-without-printers"));
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
    }

    void connectionResults_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("share");
        QTest::addColumn<quint32>("code");
        QTest::newRow("printer share") << kGuestHost << "LaserJet" << 0u;
        QTest::newRow("letter case") << kGuestHost << "laserjet" << 0u;
        QTest::newRow("disk share") << kGuestHost << "Scans" << 1801u;
        QTest::newRow("no such share") << kGuestHost << "Nope" << 1801u;
        QTest::newRow("empty share") << kGuestHost << "" << 1801u;
        QTest::newRow("host refuses anonymous listing") << kPasswordHost << "LaserJet" << 5u;
        QTest::newRow("no server") << kNoHost << "LaserJet" << 1722u;
    }

    void connectionResults() {
        QFETCH(QString, host);
        QFETCH(QString, share);
        QFETCH(quint32, code);
        QCOMPARE(PrinterAPI::addPrinterConnection(m_pc->pc().get<platform::Spooler>(), host, share),
                 code);
        QCOMPARE(PrinterAPI::listPrinters(m_pc->pc().get<platform::Spooler>(), 1).size(),
                 code == 0 ? 1 : 0);
    }

    void connectionIsAQueueOfThatServer() {
        QCOMPARE(PrinterAPI::addPrinterConnection(m_pc->pc().get<platform::Spooler>(), kGuestHost,
                                                  "LaserJet"),
                 0u);
        QCOMPARE(PrinterAPI::addPrinterConnection(m_pc->pc().get<platform::Spooler>(), kGuestHost,
                                                  "LaserJet"),
                 0u);
        const auto connections = PrinterAPI::listPrinters(m_pc->pc().get<platform::Spooler>(), 1);
        QCOMPARE(connections.size(), 1);
        QCOMPARE(connections[0].printerName, QStringLiteral("\\\\127.0.0.20\\LaserJet"));
        QCOMPARE(connections[0].serverName, QStringLiteral("\\\\127.0.0.20"));
        QCOMPARE(PrinterAPI::listPrinters(m_pc->pc().get<platform::Spooler>(), 0).size(), 0);
    }

    void asynchronousConnectionsReportEach() {
        TestWindow window;
        PrinterAPI::addPrinterConnectionAsync(m_pc->pc().get<platform::Spooler>(), window.handle(),
                                              kGuestHost, "LaserJet");
        PrinterAPI::addPrinterConnectionAsync(m_pc->pc().get<platform::Spooler>(), window.handle(),
                                              kGuestHost, "Scans");
        QTRY_COMPARE_WITH_TIMEOUT(window.messages.size(), 2, 20000);
        QList<quint32> codes;
        for (const TestWindow::Received& received : window.messages) {
            QCOMPARE(received.message, PrinterAPI::kMsgPrinterConnection);
            codes << quint32(received.wParam);
        }
        std::sort(codes.begin(), codes.end());
        QCOMPARE(codes, (QList<quint32>{0u, 1801u}));
    }

private:
    bool m_started = false;
    std::unique_ptr<PcFolder> m_pc;
};

namespace {
const bool registered = registerTest<ConnectionsTest>("ConnectionsTest");
}  // namespace

#include "ConnectionsTest.moc"
