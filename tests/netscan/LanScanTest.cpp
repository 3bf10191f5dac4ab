// A scan of the namespace LAN of tests/lan/lan.sh (10.200.0.0/24: SNMP printers at .5 and .9,
// SMB hosts at .20 and .21, nothing at the other addresses), with the client's simulated PC
// reading the namespace's real adapters. Needs root (namespaces, raw ICMP) and snmpd.
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include <cstdio>

#include <unistd.h>

#include "PcFolder.h"
#include "TestMain.h"

namespace {

struct ScanOutput {
    QStringList printers;
    QList<QList<int>> progress;
    QList<int> finishes;
    QString log;
};

ScanOutput parse(const QByteArray& output) {
    ScanOutput scan;
    scan.log = QString::fromUtf8(output);
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("printer "))
            scan.printers << QString::fromUtf8(line.mid(8));
        else if (line.startsWith("finish "))
            scan.finishes << line.mid(7).toInt();
        else if (line.startsWith("progress ")) {
            QList<int> row;
            for (const QByteArray& value : line.mid(9).split(' '))
                row << value.toInt();
            scan.progress << row;
        }
    }
    scan.printers.sort();
    return scan;
}

}  // namespace

class LanScanTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (::geteuid() != 0)
            QSKIP(
                "needs root for network namespaces and ICMP: run 'sudo ctest -R test_netscan' "
                "(with snmpd and iproute2 installed)");
        for (const char* program : {"ip", "snmpd", "smbd", "nmbd"}) {
            if (QStandardPaths::findExecutable(program).isEmpty() &&
                QStandardPaths::findExecutable(program, {"/usr/sbin", "/sbin"}).isEmpty())
                QSKIP("needs snmpd, samba and iproute2 (apt-get install snmpd samba iproute2)");
        }
        m_prefix = QStringLiteral("cvn%1").arg(::getpid());
        m_pc =
            PcFolder::fromText(R"({"system": {"version": {"major": 10, "minor": 0, "build": 19045},
            "architecture": "x64", "computerName": "LAN-CLIENT", "userName": "user"},
            "iphelper": {"source": "host"}})");
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
        m_up = lan("ns-up");
        QVERIFY2(m_up, "lan.sh ns-up failed");
    }

    void cleanupTestCase() {
        if (m_up)
            lan("ns-down");
    }

    void findsTheSnmpPrintersOnly() {
        const ScanOutput scan = parse(runScan());
        QCOMPARE(scan.printers,
                 (QStringList{"10.200.0.5|Maker|Printer 7", "10.200.0.9|Maker|Printer 11"}));
        QCOMPARE(scan.finishes, QList<int>{0});
        QVERIFY2(!scan.progress.isEmpty(), qPrintable(scan.log));
        QCOMPARE(scan.progress.first(), (QList<int>{1, 100, 3, 0, 0}));
        QCOMPARE(scan.progress.last().mid(0, 2), (QList<int>{100, 100}));
        QCOMPARE(scan.progress.last().at(4), 253);
    }

    void interruptAtRandomPointsGivesOneFinish() {
        for (int round = 0; round < 3; ++round) {
            const int delay = 50 + QRandomGenerator::global()->bounded(4000);
            const ScanOutput scan = parse(runScan(delay));
            QVERIFY2(scan.finishes == QList<int>{1},
                     qPrintable(QStringLiteral("after %1 ms: %2").arg(delay).arg(scan.log)));
        }
    }

    // The same LAN scanned from a page in the headless harness (see test_mainwindow): the
    // network printers, then the SMB hosts, probed, logged on to and found by a share scan.
    void pageScansTheLan_data() {
        QTest::addColumn<QString>("function");
        QTest::newRow("network printers") << "scanFromPageOnLan";
        QTest::newRow("shared printers") << "sharesFromPageOnLan";
    }

    void pageScansTheLan() {
        QFETCH(QString, function);
        QProcess harness;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANTA_MACHINE", m_pc->directory());
        environment.insert("CORVANTA_LAN_CLIENT", "1");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_QUICK_BACKEND", "software");
        environment.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        environment.insert("CORVANTA_HEADLESS", "accept");
        harness.setProcessEnvironment(environment);
        harness.setProcessChannelMode(QProcess::MergedChannels);
        harness.start("ip",
                      {"netns", "exec", m_prefix + "-cli", CORVANTA_MAINWINDOW_TEST, function});
        const bool ended = harness.waitForFinished(240000);
        if (!ended)
            harness.kill();
        const QByteArray output = harness.readAll();
        // QtTest cuts long messages short; a sanitizer report needs all of its lines.
        if (!ended || harness.exitCode() != 0)
            std::fwrite(output.constData(), 1, size_t(output.size()), stderr);
        QVERIFY2(ended && harness.exitCode() == 0, "the harness failed; its output is above");
        QVERIFY2(output.contains("PASS   : MainWindowTest::" + function.toUtf8() + "()"),
                 output.constData());
    }

private:
    bool lan(const char* verb) {
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANTA_LAN_PREFIX", m_prefix);
        environment.insert("FIXROOT", m_pc->directory() + "/../lan");
        script.setProcessEnvironment(environment);
        script.setProcessChannelMode(QProcess::ForwardedChannels);
        script.start("/bin/bash", {CORVANTA_LAN_SCRIPT, verb});
        return script.waitForFinished(60000) && script.exitCode() == 0;
    }

    QByteArray runScan(int interruptAfterMs = -1) {
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANTA_MACHINE", m_pc->directory());
        helper.setProcessEnvironment(environment);
        QStringList arguments{"netns", "exec", m_prefix + "-cli",
                              QCoreApplication::applicationDirPath() + "/netscan_lan_helper"};
        if (interruptAfterMs >= 0)
            arguments << QString::number(interruptAfterMs);
        helper.start("ip", arguments);
        if (!helper.waitForFinished(120000))
            helper.kill();
        return helper.readAllStandardOutput() + helper.readAllStandardError();
    }

    QString m_prefix;
    std::unique_ptr<PcFolder> m_pc;
    bool m_up = false;
};

namespace {
const bool registered = registerTest<LanScanTest>("LanScanTest");
}

#include "LanScanTest.moc"
