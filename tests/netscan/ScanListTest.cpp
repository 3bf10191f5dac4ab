#include <QtTest>

#include "NetworkFixture.h"
#include "TestMain.h"
#include "netscan/PrinterSearcher.h"

using namespace netscantest;

namespace {

QStringList dotted(const std::vector<std::uint32_t>& addresses) {
    QStringList list;
    for (std::uint32_t address : addresses)
        list << QString::fromStdString(platform::formatIpv4(address));
    return list;
}

struct OverCount {
    int count;
    QString address;
    QString mask;
};

class RecordingSearcher : public netscan::PrinterSearcher {
public:
    void reportOverCount(int count, netscan::ULONG ipAddress, netscan::ULONG subnetMask) override {
        overCounts.push_back(
            {count, QString::fromStdString(platform::formatIpv4(std::uint32_t(ipAddress))),
             QString::fromStdString(platform::formatIpv4(std::uint32_t(subnetMask)))});
    }
    std::vector<OverCount> overCounts;
};

}  // namespace

class ScanListTest : public QObject {
    Q_OBJECT

private slots:
    void scanList_data() {
        QTest::addColumn<QJsonArray>("adapters");
        QTest::addColumn<QJsonArray>("arp");
        QTest::addColumn<QStringList>("expected");

        const QString m29 = QStringLiteral("255.255.255.248");
        QTest::newRow("/30 gives two hosts, own address out")
            << QJsonArray{adapter(5, "10.0.0.1", "255.255.255.252")} << QJsonArray()
            << QStringList{"10.0.0.2"};
        QTest::newRow("/31 and /32 give none")
            << QJsonArray{adapter(5, "10.0.0.1", "255.255.255.254"),
                          adapter(6, "10.0.1.1", "255.255.255.255")}
            << QJsonArray() << QStringList();
        QTest::newRow("two adapters on one subnet: one range, both addresses and gateway out")
            << QJsonArray{adapter(5, "10.0.0.1", m29, "10.0.0.6"), adapter(6, "10.0.0.2", m29)}
            << QJsonArray() << QStringList{"10.0.0.3", "10.0.0.4", "10.0.0.5"};
        QTest::newRow("ARP hosts first, by their value in memory, once each")
            << QJsonArray{adapter(5, "10.0.0.1", m29, "10.0.0.6")}
            << QJsonArray{arpRow(5, "10.0.0.5"), arpRow(5, "224.0.0.22", "01-00-5e-00-00-16"),
                          arpRow(5, "10.0.0.3"), arpRow(5, "10.0.0.5")}
            << QStringList{"10.0.0.3", "10.0.0.5", "224.0.0.22", "10.0.0.2", "10.0.0.4"};
        QTest::newRow("ARP rows: invalid, without physical address, own address")
            << QJsonArray{adapter(5, "10.0.0.1", "255.255.255.252")}
            << QJsonArray{arpRow(5, "10.9.0.1", "00-11-22-33-44-55", "invalid"),
                          arpRow(5, "10.9.0.2", ""), arpRow(5, "10.0.0.1"),
                          arpRow(5, "10.9.0.3", "00-11-22-33-44-55", "static")}
            << QStringList{"10.9.0.3", "10.0.0.2"};
        QTest::newRow("unusable adapters give neither range nor ARP hosts")
            << QJsonArray{adapter(5, "10.0.0.1", "255.255.255.252"),
                          adapter(6, "10.0.1.1", "255.255.255.252", "0.0.0.0", "disconnected"),
                          adapter(7, "", ""),
                          adapter(8, "10.0.3.1", "255.255.255.252", "0.0.0.0", "operational",
                                  "VirtualBox Host-Only Ethernet Adapter")}
            << QJsonArray{arpRow(6, "10.0.1.2"), arpRow(7, "10.0.2.2"), arpRow(8, "10.0.3.2"),
                          arpRow(99, "10.0.4.2")}
            << QStringList{"10.0.0.2"};
        QTest::newRow("other virtual adapters and connected (4) interfaces take part")
            << QJsonArray{adapter(5, "10.0.0.1", "255.255.255.252", "0.0.0.0", "connected",
                                  "VMware Virtual Ethernet Adapter for VMnet8")}
            << QJsonArray() << QStringList{"10.0.0.2"};
        QTest::newRow("only the first address of an adapter") << QJsonArray{[] {
            QJsonObject two = adapter(5, "10.0.0.1", "255.255.255.252");
            QJsonArray addresses = two.value("addresses").toArray();
            addresses.append(QJsonObject{{"address", "10.0.5.1"}, {"mask", "255.255.255.252"}});
            two.insert("addresses", addresses);
            return two;
        }()} << QJsonArray() << QStringList{"10.0.0.2"};
    }
    void scanList() {
        QFETCH(QJsonArray, adapters);
        QFETCH(QJsonArray, arp);
        QVERIFY(setNetwork(adapters, arp));
        RecordingSearcher searcher;
        QVERIFY(searcher.readAdapterList());
        searcher.buildScanList();
        QTEST(dotted(searcher.scanList), "expected");
        QVERIFY(searcher.overCounts.empty());
    }

    // A subnet above a /16 is not expanded: the page hears of it and the other subnets are
    // scanned all the same.
    void largeSubnetsRaiseTheOverCountEvent_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("count");
        QTest::newRow("mask 0.0.0.0") << "0.0.0.0" << std::numeric_limits<int>::max();
        QTest::newRow("/15") << "255.254.0.0" << 131070;
        QTest::newRow("/8") << "255.0.0.0" << 16777214;
    }
    void largeSubnetsRaiseTheOverCountEvent() {
        QFETCH(QString, mask);
        QVERIFY(setNetwork(
            {adapter(5, "10.0.0.1", "255.255.255.252"), adapter(6, "172.16.0.9", mask)}, {}));
        RecordingSearcher searcher;
        QVERIFY(searcher.readAdapterList());
        searcher.buildScanList();
        QCOMPARE(dotted(searcher.scanList), QStringList{"10.0.0.2"});
        QCOMPARE(searcher.overCounts.size(), std::size_t(1));
        QTEST(searcher.overCounts[0].count, "count");
        QCOMPARE(searcher.overCounts[0].address, QStringLiteral("172.16.0.9"));
        QCOMPARE(searcher.overCounts[0].mask, mask);
    }

    void aSixteenIsScannedWhole() {
        QVERIFY(setNetwork({adapter(5, "10.7.0.1", "255.255.0.0", "10.7.0.254")}, {}));
        RecordingSearcher searcher;
        QVERIFY(searcher.readAdapterList());
        searcher.buildScanList();
        QCOMPARE(searcher.rangeHosts.size(), std::size_t(65534));
        QCOMPARE(searcher.scanList.size(), std::size_t(65532));
        QVERIFY(searcher.overCounts.empty());
    }

    void noAdaptersNoList() {
        QVERIFY(setNetwork({}, {arpRow(5, "10.0.0.2")}));
        RecordingSearcher searcher;
        QVERIFY(!searcher.readAdapterList());
    }

    // Part of the interface test: a rejection stays for the searcher's life, an acceptance is
    // asked again each time.
    void rejectionsAreRemembered() {
        QVERIFY(setNetwork({adapter(5, "10.0.0.1", "255.255.255.252", "0.0.0.0", "disconnected"),
                            adapter(6, "10.0.1.1", "255.255.255.252")},
                           {}));
        netscan::PrinterSearcher searcher;
        QVERIFY(searcher.readAdapterList());
        QVERIFY(!searcher.isInterfaceUsable(5));
        QVERIFY(searcher.isInterfaceUsable(6));
        QVERIFY(setNetwork({adapter(5, "10.0.0.1", "255.255.255.252"),
                            adapter(6, "10.0.1.1", "255.255.255.252", "0.0.0.0", "disconnected")},
                           {}));
        QVERIFY(!searcher.isInterfaceUsable(5));
        QVERIFY(!searcher.isInterfaceUsable(6));
        QCOMPARE(searcher.rejectedInterfaces, (std::vector<std::uint32_t>{5, 6}));
    }

    void localAddresses() {
        QVERIFY(setNetwork(
            {adapter(5, "192.168.1.10", "255.255.255.0"),
             adapter(6, "10.0.1.1", "255.255.255.0", "0.0.0.0", "disconnected"), adapter(7, "", ""),
             adapter(8, "192.168.56.1", "255.255.255.0", "0.0.0.0", "operational",
                     "VirtualBox Host-Only Ethernet Adapter"),
             adapter(9, "10.0.0.200", "255.255.255.0")},
            {}));
        netscan::PrinterSearcher searcher;
        QCOMPARE(dotted(searcher.localAddresses()), (QStringList{"192.168.1.10", "10.0.0.200"}));
    }
};

namespace {
const bool registered = registerTest<ScanListTest>("ScanListTest");
}

#include "ScanListTest.moc"
