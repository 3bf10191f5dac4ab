#include <QtTest>

#include "TestMain.h"
#include "netscan/NetPrinterInfo.h"

using netscan::NetPrinterInfo;

class NetPrinterInfoTest : public QObject {
    Q_OBJECT

private slots:
    void readsMakerAndModel_data() {
        QTest::addColumn<QByteArray>("deviceId");
        QTest::addColumn<QByteArray>("manufacturer");
        QTest::addColumn<QByteArray>("model");
        QTest::newRow("short keys") << QByteArray("MFG:Maker;MDL:Printer 7;CMD:PCL;")
                                    << QByteArray("Maker") << QByteArray("Printer 7");
        QTest::newRow("long keys") << QByteArray("MANUFACTURER:Maker;MODEL:X 1;")
                                   << QByteArray("Maker") << QByteArray("X 1");
        QTest::newRow("later key wins")
            << QByteArray("MANUFACTURER:A;MFG:B;") << QByteArray("B") << QByteArray();
        QTest::newRow("no closing semicolon")
            << QByteArray("MFG:Maker;MDL:X") << QByteArray("Maker") << QByteArray();
        QTest::newRow("lower-case key") << QByteArray("mfg:Maker;") << QByteArray() << QByteArray();
        QTest::newRow("pair without colon")
            << QByteArray("MFG Maker;") << QByteArray() << QByteArray();
        QTest::newRow("leading blank") << QByteArray(" MFG:Maker;") << QByteArray() << QByteArray();
        QTest::newRow("colon in value")
            << QByteArray("MDL:a:b;") << QByteArray() << QByteArray("a:b");
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("empty value") << QByteArray("MFG:;") << QByteArray() << QByteArray();
    }
    void readsMakerAndModel() {
        QFETCH(QByteArray, deviceId);
        QFETCH(QByteArray, manufacturer);
        QFETCH(QByteArray, model);
        const NetPrinterInfo info =
            NetPrinterInfo::fromDeviceId("10.0.0.5", deviceId.toStdString());
        QCOMPARE(QByteArray::fromStdString(info.ip), QByteArray("10.0.0.5"));
        QCOMPARE(QByteArray::fromStdString(info.deviceId), deviceId);
        QCOMPARE(QByteArray::fromStdString(info.manufacturer), manufacturer);
        QCOMPARE(QByteArray::fromStdString(info.model), model);
    }

    // The agent's bytes are kept as they came, whatever their encoding.
    void keepsBytesUnchanged() {
        const std::string id = "MFG:\xB4\xF2\xD3\xA1;MDL:\xff\x01;";
        const NetPrinterInfo info = NetPrinterInfo::fromDeviceId("1.2.3.4", id);
        QCOMPARE(info.manufacturer, std::string("\xB4\xF2\xD3\xA1"));
        QCOMPARE(info.model, std::string("\xff\x01"));
    }
};

namespace {
const bool registered = registerTest<NetPrinterInfoTest>("NetPrinterInfoTest");
}

#include "NetPrinterInfoTest.moc"
