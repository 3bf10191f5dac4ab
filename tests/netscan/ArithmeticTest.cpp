#include <QtTest>

#include "TestMain.h"
#include "netscan/PrinterSearcher.h"

using netscan::PrinterSearcher;

class ArithmeticTest : public QObject {
    Q_OBJECT

private slots:
    void pageProgress_data() {
        QTest::addColumn<int>("scope");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("pageCurrent");
        QTest::addColumn<int>("pageTotal");
        QTest::newRow("both, USB step starts") << 2 << 1 << 1 << 1 << 100;
        QTest::newRow("both, USB step advances") << 2 << 3 << 1 << 3 << 100;
        QTest::newRow("both, network starts") << 2 << 0 << 0 << 5 << 100;
        QTest::newRow("both, network ends") << 2 << 95 << 0 << 100 << 100;
        QTest::newRow("network only") << 0 << 40 << 0 << 40 << 95;
        QTest::newRow("USB only") << 1 << 3 << 1 << 3 << 5;
    }
    void pageProgress() {
        QFETCH(int, scope);
        QFETCH(int, current);
        QFETCH(int, phase);
        const netscan::PageProgress page = netscan::pageProgress(scope, current, phase);
        QTEST(page.current, "pageCurrent");
        QTEST(page.total, "pageTotal");
    }

    // Conversions only: none of these addresses is ever sent anything.
    void pageAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("value");
        QTest::newRow("192.168.1.10") << "192.168.1.10" << 167880896;
        QTest::newRow("10.0.0.200 is negative") << "10.0.0.200" << -939524086;
        QTest::newRow("127.0.0.1") << "127.0.0.1" << 16777343;
    }
    void pageAddress() {
        QFETCH(QString, address);
        std::uint32_t value = 0;
        QVERIFY(platform::parseIpv4(address.toStdString(), value));
        QTEST(int(netscan::pageAddress(value)), "value");
        QCOMPARE(QString::fromStdString(platform::formatIpv4(value)), address);
    }

    // Parsing only: no address here is ever sent anything.
    void parsesOnlyDottedQuads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::newRow("plain") << "10.1.2.3" << true;
        QTest::newRow("all ones") << "255.255.255.255" << true;
        QTest::newRow("part too big") << "10.1.2.256" << false;
        QTest::newRow("three parts") << "10.1.2" << false;
        QTest::newRow("trailing dot") << "10.1.2.3." << false;
        QTest::newRow("blank") << " 10.1.2.3" << false;
        QTest::newRow("empty") << "" << false;
    }
    void parsesOnlyDottedQuads() {
        QFETCH(QString, text);
        std::uint32_t value = 0;
        QTEST(platform::parseIpv4(text.toStdString(), value), "parses");
    }
};

namespace {
const bool registered = registerTest<ArithmeticTest>("ArithmeticTest");
}

#include "ArithmeticTest.moc"
