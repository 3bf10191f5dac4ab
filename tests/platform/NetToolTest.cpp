#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"
#include "platform/posix/HostNetwork.h"

namespace {

struct Run {
    int exitCode = -1;
    QString output;  // standard output and error
};

Run runTool(const QString& machine, const QStringList& arguments) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(CORVANTA_SIM_TOOL), QStringList{"--machine", machine} + arguments);
    Run run;
    if (tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit)
        run.exitCode = tool.exitCode();
    run.output = QString::fromUtf8(tool.readAll());
    return run;
}

}  // namespace

// corvanta-sim net, as a person or a demo drives it: each step's answer and what `net show`
// then says.
class NetToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        m_machine = m_folder.path() + "/pc";
        QProcess create;
        create.start(CORVANTA_SIM_TOOL, {"create", "--profile", "empty", m_machine});
        QVERIFY(create.waitForFinished(30000) && create.exitCode() == 0);
    }

    void verbs_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("answer");  // in the tool's output
        QTest::addColumn<QString>("shown");   // in `net show` afterwards; "!x": x is not shown
        QTest::newRow("add") << QStringList{"net",        "adapter",  "add",
                                            "7",          "10.4.0.2", "255.255.255.0",
                                            "--gateway",  "10.4.0.1", "--description",
                                            "Office LAN", "--down"}
                             << 0 << ""
                             << "adapter 7 (disconnected): Office LAN 10.4.0.2/255.255.255.0 "
                                "gateway 10.4.0.1";
        QTest::newRow("index taken")
            << QStringList{"net", "adapter", "add", "7", "10.5.0.2", "255.255.255.0"} << 1
            << "an adapter with index 7 exists"
            << "!10.5.0.2";
        QTest::newRow("mask with a hole")
            << QStringList{"net", "adapter", "add", "8", "10.5.0.2", "255.0.255.0"} << 1
            << "not a subnet mask: 255.0.255.0"
            << "!10.5.0.2";
        QTest::newRow("bad address")
            << QStringList{"net", "adapter", "add", "8", "10.5.0.256", "255.255.255.0"} << 1
            << "not an IPv4 address: 10.5.0.256"
            << "!adapter 8";
        QTest::newRow("index 0") << QStringList{"net", "adapter",  "add",
                                                "0",   "10.5.0.2", "255.255.255.0"}
                                 << 1 << "not an interface index"
                                 << "!adapter 0";
        QTest::newRow("arp add") << QStringList{"net", "arp",      "add",
                                                "7",   "10.4.0.9", "00:1b:a9:4c:10:09"}
                                 << 0 << ""
                                 << "arp 7 10.4.0.9 00-1b-a9-4c-10-09 dynamic";
        QTest::newRow("arp add invalid")
            << QStringList{"net", "arp", "add", "7", "10.4.0.10", "", "--invalid"} << 0 << ""
            << "arp 7 10.4.0.10 (none) invalid";
        QTest::newRow("arp bad mac")
            << QStringList{"net", "arp", "add", "7", "10.4.0.11", "00-1b-zz"} << 1
            << "not a physical address"
            << "!10.4.0.11";
        QTest::newRow("remove") << QStringList{"net", "adapter", "remove", "7"} << 0 << ""
                                << "!adapter 7";
        QTest::newRow("remove unknown")
            << QStringList{"net", "adapter", "remove", "7"} << 1 << "no adapter with index 7"
            << "!adapter 7";
        QTest::newRow("arp clear") << QStringList{"net", "arp", "clear"} << 0 << ""
                                   << "!arp 7";
        QTest::newRow("source host") << QStringList{"net", "source", "host"} << 0 << ""
                                     << "source: this machine's adapters";
        QTest::newRow("source profile") << QStringList{"net", "source", "profile"} << 0 << ""
                                        << "source: profile";
        QTest::newRow("unknown source")
            << QStringList{"net", "source", "lan"} << 1 << "usage: corvanta-sim net show"
            << "source: profile";
    }
    void verbs() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        const Run run = runTool(m_machine, arguments);
        QTEST(run.exitCode, "exitCode");
        QVERIFY2(run.output.contains(answer), qPrintable(run.output));
        const Run show = runTool(m_machine, {"net", "show"});
        QCOMPARE(show.exitCode, 0);
        if (shown.startsWith('!'))
            QVERIFY2(!show.output.contains(shown.mid(1)), qPrintable(show.output));
        else
            QVERIFY2(show.output.contains(shown), qPrintable(show.output));
    }

    // This machine's ARP table as the IP helper reports it.
    void procNetArp() {
        const std::string text =
            "IP address       HW type     Flags       HW address            Mask     Device\n"
            "10.200.0.5       0x1         0x2         7a:3c:01:02:03:05     *        br0\n"
            "10.200.0.77      0x1         0x0         00:00:00:00:00:00     *        br0\n"
            "10.200.0.9       0x1         0x6         7a:3c:01:02:03:09     *        br0\n"
            "10.9.9.9         0x1         0x2         7a:3c:01:02:03:0a     *        gone0\n"
            "garbage\n";
        const std::vector<platform::ArpRow> rows = platform::posix::parseProcNetArp(
            text, [](const std::string& device) { return device == "br0" ? 3u : 0u; });
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(platform::formatIpv4(rows[0].address), std::string("10.200.0.5"));
        QCOMPARE(rows[0].index, 3u);
        QCOMPARE(rows[0].type, platform::iphlp::kIpNetTypeDynamic);
        QCOMPARE(rows[0].physicalAddressLength, 6u);
        QCOMPARE(rows[0].physicalAddress[5], std::uint8_t(5));
        QCOMPARE(rows[1].type, platform::iphlp::kIpNetTypeInvalid);
        QCOMPARE(rows[1].physicalAddressLength, 0u);
        QCOMPARE(rows[2].type, platform::iphlp::kIpNetTypeStatic);
    }

    void defaultGateways() {
        const std::string text =
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
            "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\n"
            "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\n";
        const auto gateways = platform::posix::parseDefaultGateways(text);
        QCOMPARE(gateways.size(), std::size_t(1));
        QCOMPARE(gateways[0].first, std::string("eth0"));
        QCOMPARE(platform::formatIpv4(gateways[0].second), std::string("192.0.2.1"));
    }

private:
    QTemporaryDir m_folder;
    QString m_machine;
};

namespace {
const bool registered = registerTest<NetToolTest>("NetToolTest");
}

#include "NetToolTest.moc"
