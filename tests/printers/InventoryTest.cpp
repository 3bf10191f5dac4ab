// The printer JSON, the state object and the printer count over the simulated PC's queues.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "mainwindow/PrinterCommands.h"
#include "platform/Spooler.h"
#include "platform/sim/spooler/SpoolerEditor.h"
#include "printers/PrinterInventory.h"

using PrinterAPI::LocalPrinterInfo;

namespace {

QJsonObject printerNamed(const QJsonArray& printers, const QString& name) {
    for (const QJsonValue& printer : printers) {
        if (printer.toObject().value(QStringLiteral("printerName")).toString() == name) {
            return printer.toObject();
        }
    }
    return {};
}

// A test PC profile whose printers section lists `queues`.
QByteArray profileListing(const QJsonArray& queues) {
    QJsonObject profile = QJsonDocument::fromJson(profileWithQueues(0)).object();
    QJsonObject printers = profile.value(QStringLiteral("printers")).toObject();
    printers.insert(QStringLiteral("queues"), queues);
    profile.insert(QStringLiteral("printers"), printers);
    return QJsonDocument(profile).toJson();
}

QJsonObject queueNamed(const QString& name) {
    return {{QStringLiteral("name"), name}};
}

QJsonArray numbers(std::initializer_list<int> values) {
    QJsonArray array;
    for (int value : values) {
        array.append(value);
    }
    return array;
}

}  // namespace

class InventoryTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
    }

    void printerMember_data() {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("expected");
        QTest::newRow("default printer") << "Office Laser"
                                         << "isDefault" << QJsonValue(true);
        QTest::newRow("not default") << "Reception Color"
                                     << "isDefault" << QJsonValue(false);
        QTest::newRow("quality with y resolution") << "Office Laser"
                                                   << "printQuality" << QJsonValue(600);
        QTest::newRow("device mode without y resolution") << "Reception Color"
                                                          << "printQuality" << QJsonValue(0);
        QTest::newRow("no device mode") << "Label Printer"
                                        << "printQuality" << QJsonValue(0);
        QTest::newRow("every resolution value in pair order")
            << "Office Laser"
            << "resolutions" << QJsonValue(numbers({300, 300, 600, 600, 1200, 1200}));
        QTest::newRow("unequal pairs")
            << "Reception Color"
            << "resolutions" << QJsonValue(numbers({600, 600, 1200, 600}));
        QTest::newRow("no resolutions") << "Label Printer"
                                        << "resolutions" << QJsonValue(QJsonArray());
        QTest::newRow("shared") << "Reception Color"
                                << "isShare" << QJsonValue(true);
        QTest::newRow("share name") << "Reception Color"
                                    << "shareName" << QJsonValue("RECEPTION");
        QTest::newRow("local") << "Office Laser"
                               << "isLocal" << QJsonValue(true);
        QTest::newRow("jobs from the spool folder") << "Office Laser"
                                                    << "cjobs" << QJsonValue(2);
        QTest::newRow("status in error") << "Warehouse Printer"
                                         << "status" << QJsonValue(0x82);
        QTest::newRow("driver attributes") << "Microsoft Print to PDF"
                                           << "driverAttributes" << QJsonValue(387);
        QTest::newRow("duplex") << "Office Laser"
                                << "duplex" << QJsonValue(true);
        QTest::newRow("colour") << "Reception Color"
                                << "color" << QJsonValue(true);
        QTest::newRow("pages per minute") << "Office Laser"
                                          << "printPagePerMinute" << QJsonValue(40);
        QTest::newRow("driver error reads negative") << "Label Printer"
                                                     << "printPagePerMinute" << QJsonValue(-1);
        QTest::newRow("local queue has no server") << "Office Laser"
                                                   << "serverName" << QJsonValue("");
    }

    void printerMember() {
        QFETCH(QString, queue);
        QFETCH(QString, key);
        QFETCH(QJsonValue, expected);
        const QJsonArray printers =
            QJsonDocument::fromJson(
                PrinterAPI::printersToJsonBytes(m_pc->pc().get<platform::Spooler>(), 0))
                .array();
        const QJsonObject printer = printerNamed(printers, queue);
        QVERIFY2(!printer.isEmpty(), qPrintable(queue));
        QCOMPARE(printer.value(key), expected);
    }

    void jsonIsCompactWithExactlyTheKeysSorted() {
        const QByteArray json =
            PrinterAPI::printersToJsonBytes(m_pc->pc().get<platform::Spooler>(), 0);
        QVERIFY(json.startsWith("[{\"attributes\":"));
        QVERIFY(!json.contains(": ") && !json.contains('\n'));
        const QJsonObject first = QJsonDocument::fromJson(json).array().first().toObject();
        const QStringList keys = first.keys();
        QCOMPARE(keys.size(), 26);
        QVERIFY(json.indexOf("\"printPagePerMinute\"") < json.indexOf("\"printerName\""));
        QVERIFY(json.indexOf("\"printQuality\"") < json.indexOf("\"printerName\""));
    }

    void localAndConnectionsAreSeparate() {
        const auto local = PrinterAPI::listPrinters(m_pc->pc().get<platform::Spooler>(), 0);
        const auto connections = PrinterAPI::listPrinters(m_pc->pc().get<platform::Spooler>(), 1);
        QCOMPARE(local.size(), 5);
        QCOMPARE(connections.size(), 1);
        QCOMPARE(connections[0].printerName, QStringLiteral("\\\\FILESERVER\\Accounting"));
        QCOMPARE(connections[0].serverName, QStringLiteral("\\\\FILESERVER"));
        QCOMPARE(PrinterAPI::countPrinters(m_pc->pc().get<platform::Spooler>()), 6);
    }

    void emptyPc() {
        auto pc = PcFolder::fromFixture(QStringLiteral("pc-without-printers"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(PrinterAPI::printersToJsonBytes(pc->pc().get<platform::Spooler>(), 0),
                 QByteArray("[]"));
        QCOMPARE(PrinterAPI::printersToJsonBytes(pc->pc().get<platform::Spooler>(), 1),
                 QByteArray("[]"));
        QCOMPARE(PrinterAPI::countPrinters(pc->pc().get<platform::Spooler>()), 0);
        QCOMPARE(PrinterAPI::printerDeviceListJson(),
                 QJsonDocument(QJsonArray()).toJson(QJsonDocument::Indented));
    }

    // Counting the records of a size-only call gives 0 whatever is installed; the count must
    // come from a real enumeration.
    void countFollowsQueues() {
        platform::EnumerationSize size;
        QCOMPARE(m_pc->pc().get<platform::Spooler>().enumPrintersSize(platform::spool::kEnumLocal,
                                                                      1, size),
                 platform::win32::kInsufficientBuffer);
        QCOMPARE(size.returned, 0u);
        QVERIFY(size.needed > 0);
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .addQueue(QJsonObject{{QStringLiteral("name"), QStringLiteral("Extra")}}),
                 platform::win32::kSuccess);
        QCOMPARE(PrinterAPI::countPrinters(m_pc->pc().get<platform::Spooler>()), 7);
    }

    void noDefaultPrinter() {
        auto pc = PcFolder::fromText(profileWithQueues(3));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        for (const LocalPrinterInfo& printer :
             PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0)) {
            QVERIFY(!printer.isDefault);
        }
    }

    void stateOfUnknownQueue() {
        const webhost::JsValue answer =
            PrinterCommands::printerInfoAnswer(m_pc->pc().get<platform::Spooler>(), "Nope");
        QCOMPARE(answer.keys(), QList<QByteArray>{"code"});
        QCOMPARE(answer.get("code").toInt(), 1801);
    }

    void stateOfKnownQueue() {
        const webhost::JsValue answer = PrinterCommands::printerInfoAnswer(
            m_pc->pc().get<platform::Spooler>(), "Warehouse Printer");
        QCOMPARE(answer.get("code").toInt(), 0);
        const webhost::JsValue info = answer.get("info");
        QCOMPARE(info.keys(), (QList<QByteArray>{"dwChanged", "dwNotifyField", "printerName",
                                                 "printerServer", "newPrinterName", "dwAttribute",
                                                 "dwPrinterStatus", "dwJobStatus", "dwCjobs"}));
        QCOMPARE(info.get("dwChanged").toInt(), 0);
        QCOMPARE(info.get("dwNotifyField").length(), 0);
        QCOMPARE(info.get("printerName").toText(), QStringLiteral("Warehouse Printer"));
        QCOMPARE(info.get("newPrinterName").toText(), QString());
        QCOMPARE(info.get("dwPrinterStatus").toInt(), 0x82);
        QCOMPARE(info.get("dwCjobs").toInt(), 1);
    }

    void largeUnsignedValuesReadNegative() {
        PrinterAPI::PrinterChangeInfo info;
        info.dwPrinterStatus = 0x80000000u;
        info.dwNotifyField = {1, 18};
        const webhost::JsValue object = PrinterCommands::changeInfoToObject(info);
        QCOMPARE(object.get("dwPrinterStatus").toNumber(), -2147483648.0);
        QCOMPARE(object.get("dwNotifyField").at(1).toInt(), 18);
    }

    void stoppedSpooler() {
        auto pc = PcFolder::fromText(profileWithQueues(2, false));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        PrinterAPI::PrinterChangeInfo info;
        QCOMPARE(PrinterAPI::readPrinterState(pc->pc().get<platform::Spooler>(), "Queue 1", info),
                 1722u);
        QCOMPARE(PrinterAPI::printersToJsonBytes(pc->pc().get<platform::Spooler>(), 0),
                 QByteArray("[]"));
    }

    // Every lookup by name must find one queue, so a profile may not name two queues alike
    // (in any case), nor give a queue of this PC a name Windows refuses.
    void profileQueueNames_data() {
        QTest::addColumn<QJsonArray>("queues");
        QTest::addColumn<bool>("accepted");
        QJsonObject connection = queueNamed(QStringLiteral("\\\\HOST\\Laser"));
        connection.insert(QStringLiteral("server"), QStringLiteral("\\\\HOST"));
        QTest::newRow("distinct") << QJsonArray{queueNamed("A"), queueNamed("B")} << true;
        QTest::newRow("connection") << QJsonArray{connection} << true;
        QTest::newRow("same name") << QJsonArray{queueNamed("A"), queueNamed("A")} << false;
        QTest::newRow("same name, other case")
            << QJsonArray{queueNamed("Laser"), queueNamed("LASER")} << false;
        QTest::newRow("empty name") << QJsonArray{queueNamed("")} << false;
        QTest::newRow("backslash in a local name") << QJsonArray{queueNamed("a\\b")} << false;
        QTest::newRow("comma in a local name") << QJsonArray{queueNamed("a,b")} << false;
    }

    void profileQueueNames() {
        QFETCH(QJsonArray, queues);
        QFETCH(bool, accepted);
        auto pc = PcFolder::fromText(profileListing(queues));
        QVERIFY2(pc->isValid() == accepted, qPrintable(pc->error()));
    }

    // A job size from a profile may be anything up to 4 GiB; its data file must have that
    // size without the bytes ever being held in memory.
    void largeProfileJobIsSpooled() {
        constexpr double kJobBytes = 3000000000.0;
        QJsonObject queue = queueNamed(QStringLiteral("Big"));
        queue.insert(QStringLiteral("jobs"),
                     QJsonArray{QJsonObject{{QStringLiteral("size"), kJobBytes}}});
        auto pc = PcFolder::fromText(profileListing(QJsonArray{queue}));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        const auto printers = PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0);
        QCOMPARE(printers.size(), 1);
        QCOMPARE(printers[0].cjobs, 1u);
        const QString spool = pc->directory() + "/drive_c/Windows/system32/spool/PRINTERS";
        const QFileInfoList data = QDir(spool).entryInfoList({"*.SPL"}, QDir::Files);
        QCOMPARE(data.size(), 1);
        QCOMPARE(double(data[0].size()), kJobBytes);
    }

    // The state document can be edited by hand: a number no DWORD can hold reads as 0.
    void outOfRangeNumbersInTheStateReadZero() {
        QCOMPARE(platform::sim::spooler::editorFor(m_pc->pc())
                     .addQueue(QJsonObject{{QStringLiteral("name"), QStringLiteral("Odd")},
                                           {QStringLiteral("attributes"), -1.0},
                                           {QStringLiteral("status"), 1e20}}),
                 platform::win32::kSuccess);
        const QJsonObject odd =
            printerNamed(QJsonDocument::fromJson(PrinterAPI::printersToJsonBytes(
                                                     m_pc->pc().get<platform::Spooler>(), 0))
                             .array(),
                         QStringLiteral("Odd"));
        QCOMPARE(odd.value(QStringLiteral("attributes")), QJsonValue(0));
        QCOMPARE(odd.value(QStringLiteral("status")), QJsonValue(0));
    }

private:
    std::unique_ptr<PcFolder> m_pc;
};

namespace {
const bool registered = registerTest<InventoryTest>("InventoryTest");
}  // namespace

#include "InventoryTest.moc"
