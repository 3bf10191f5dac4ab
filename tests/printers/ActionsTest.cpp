// The printer actions: printui command lines, sharing, deleting, the consoles and the
// programs they start on the simulated PC.
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "mainwindow/PrinterCommands.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/sim/spooler/SpoolerEditor.h"
#include "printers/PrintUiCommandLines.h"
#include "printers/PrinterActions.h"
#include "printers/PrinterConnections.h"
#include "printers/PrinterInventory.h"

namespace {

// The process's PC, which the page's commands act on through platform::spooler().
platform::sim::SimulatedPc& processPc() {
    return fixtureAsProcessPc(QStringLiteral("office-pc"));
}

QJsonObject globalSpoolerState() {
    QString error;
    QJsonObject document;
    processPc().machine().store().read(QStringLiteral("spooler"), document, error);
    return document;
}

int jobsOf(const QString& queue) {
    PrinterAPI::PrinterChangeInfo info;
    PrinterAPI::readPrinterState(platform::spooler(), queue, info);
    return static_cast<int>(info.dwCjobs);
}

bool hasUiRequest(const QString& program, const QStringList& arguments) {
    for (const QJsonValue& request :
         globalSpoolerState().value(QStringLiteral("uiRequests")).toArray()) {
        const QJsonObject object = request.toObject();
        if (object.value(QStringLiteral("program")).toString() == program &&
            object.value(QStringLiteral("arguments")).toVariant().toStringList() == arguments) {
            return true;
        }
    }
    return false;
}

}  // namespace

class ActionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(processPc().isOpen()); }

    void commandLines_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("test page") << PrinterAPI::testPageArguments("Office")
                                   << "printui.dll,PrintUIEntry /k  /n\"Office\"  /b \"Test Page\"";
        QTest::newRow("queue window") << PrinterAPI::queueWindowArguments("Office")
                                      << "printui.dll,PrintUIEntry /o  /n\"Office\" ";
        QTest::newRow("preferences") << PrinterAPI::preferencesArguments("Office")
                                     << "printui.dll,PrintUIEntry /e /n \"Office\"";
        QTest::newRow("properties") << PrinterAPI::propertiesArguments("Office")
                                    << "printui.dll,PrintUIEntry /p /n \"Office\"";
        QTest::newRow("local wizard")
            << PrinterAPI::wizardArguments(0) << "printui.dll,PrintUIEntry /il";
        QTest::newRow("network wizard")
            << PrinterAPI::wizardArguments(1) << "printui.dll,PrintUIEntry /ip";
        QTest::newRow("machine wizard")
            << PrinterAPI::wizardArguments(2) << "printui.dll,PrintUIEntry /im";
        QTest::newRow("other wizard") << PrinterAPI::wizardArguments(7) << "";
        QTest::newRow("command line")
            << PrinterAPI::rundll32CommandLine("printui.dll,PrintUIEntry /il")
            << "C:\\Windows\\System32\\rundll32.exe printui.dll,PrintUIEntry /il";
    }

    void commandLines() {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
    }

    // A quote in the name would close printui's quoted name and pass the rest as options.
    void quoteInNameIsRefused() {
        const QString injected = QStringLiteral("Office\" /dl /n\"Other");
        QCOMPARE(PrinterAPI::printTestPage(injected), 1801u);
        QCOMPARE(PrinterAPI::viewPrintQueue(injected), 1801u);
        QCOMPARE(PrinterAPI::showPrintPreferences(injected), 1801u);
        QCOMPARE(PrinterAPI::showPrinterProperties(injected), 1801u);
    }

    void testPageAddsAJob() {
        const int before = jobsOf(QStringLiteral("Office Laser"));
        QCOMPARE(PrinterAPI::printTestPage(QStringLiteral("Office Laser")), 0u);
        QTRY_COMPARE(jobsOf(QStringLiteral("Office Laser")), before + 1);
    }

    // As on Windows, a test page asked for while the spooler is stopped prints nothing.
    void testPageNeedsTheSpooler() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        auto tool = [&pc](const QStringList& arguments) {
            QProcess process;
            process.start(QStringLiteral(CORVANTA_SIM_TOOL),
                          QStringList{QStringLiteral("--machine"), pc->directory()} + arguments);
            return process.waitForFinished(30000) ? process.exitCode() : -1;
        };
        auto jobs = [&pc] {
            PrinterAPI::PrinterChangeInfo info;
            const quint32 code = PrinterAPI::readPrinterState(pc->open()->get<platform::Spooler>(),
                                                              "Office Laser", info);
            return code == 0 ? int(info.dwCjobs) : -1;
        };
        const QStringList testPage{"program", "rundll32", "printui.dll,PrintUIEntry",
                                   "/k",      "/n",       "Office Laser"};
        const int before = jobs();
        QVERIFY(before >= 0);
        QCOMPARE(tool({"service", "stop", "Spooler"}), 0);
        QCOMPARE(tool(testPage), 0);
        QCOMPARE(tool({"service", "start", "Spooler"}), 0);
        QTRY_VERIFY(jobs() >= 0);
        QCOMPARE(jobs(), before);
        QCOMPARE(tool(testPage), 0);
        QCOMPARE(jobs(), before + 1);
    }

    void printUiWindowsAreRecorded() {
        QCOMPARE(PrinterAPI::showPrinterProperties(QStringLiteral("Reception Color")), 0u);
        QTRY_VERIFY(hasUiRequest(
            QStringLiteral("printui"),
            {QStringLiteral("/p"), QStringLiteral("/n"), QStringLiteral("Reception Color")}));
        PrinterAPI::addPrinter(platform::spooler(), 0, 1);
        QTRY_VERIFY(hasUiRequest(QStringLiteral("printui"), {QStringLiteral("/ip")}));
    }

    void openManager() {
        QCOMPARE(PrinterAPI::openManager(1, 0), PrinterAPI::kTooFewArguments);
        QCOMPARE(PrinterAPI::openManager(0, 0), 536870913u);
        QCOMPARE(PrinterAPI::openManager(2, 2), 0u);
        QTRY_VERIFY(hasUiRequest(QStringLiteral("control"), {QStringLiteral("printers")}));
    }

    void snapIns() {
        QVERIFY(PrinterAPI::checkMMCExists(platform::registry(), 0));
        QVERIFY(PrinterAPI::checkMMCExists(platform::registry(), 1));
        QVERIFY(!PrinterAPI::checkMMCExists(platform::registry(), 2));
    }

    void shareUnderTheQueueName() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(
            PrinterAPI::setQueueShared(pc->pc().get<platform::Spooler>(), "Reception Color", true),
            0u);
        auto printers = PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0);
        auto found = std::find_if(printers.begin(), printers.end(), [](const auto& p) {
            return p.printerName == QLatin1String("Reception Color");
        });
        QCOMPARE(found->shareName, QStringLiteral("Reception Color"));
        QVERIFY(found->isShare);
        QCOMPARE(
            PrinterAPI::setQueueShared(pc->pc().get<platform::Spooler>(), "Reception Color", false),
            0u);
        PrinterAPI::PrinterChangeInfo info;
        PrinterAPI::readPrinterState(pc->pc().get<platform::Spooler>(), "Reception Color", info);
        QVERIFY((info.dwAttribute & platform::spool::kAttributeShared) == 0);
    }

    // Windows refuses these share names; sharing always uses the queue's own name.
    void shareNamesWindowsRefuses_data() {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("plain") << "Plain Name" << 0u;
        QTest::newRow("colon and brackets") << "Lab: Printer [2]" << 1215u;
        QTest::newRow("quotes") << "Q \"x\"" << 1215u;
        QTest::newRow("plus and equals") << "A+B=C" << 1215u;
        QTest::newRow("80 characters") << QString(80, QLatin1Char('p')) << 0u;
        QTest::newRow("100 characters") << QString(100, QLatin1Char('p')) << 1215u;
        QTest::newRow("another queue's share name") << "reception" << 1215u;
    }

    void shareNamesWindowsRefuses() {
        QFETCH(QString, queue);
        QFETCH(quint32, expected);
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(platform::sim::spooler::editorFor(pc->pc()).addQueue(
                     QJsonObject{{QStringLiteral("name"), queue},
                                 {QStringLiteral("driver"), QStringLiteral("Generic / Text Only")},
                                 {QStringLiteral("port"), QStringLiteral("FILE:")}}),
                 0u);
        platform::Spooler& spooler = pc->pc().get<platform::Spooler>();
        QCOMPARE(PrinterAPI::setQueueShared(spooler, queue, true), expected);
        PrinterAPI::PrinterChangeInfo info;
        QCOMPARE(PrinterAPI::readPrinterState(spooler, queue, info), 0u);
        QCOMPARE((info.dwAttribute & platform::spool::kAttributeShared) != 0, expected == 0);
    }

    // A connection is its server's queue: shared, on the network, and not ours to change.
    void connectionsAreTheServers() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        platform::Spooler& spooler = pc->pc().get<platform::Spooler>();
        const QString connection = "\\\\FILESERVER\\Accounting";
        QCOMPARE(platform::sim::spooler::editorFor(pc->pc()).addConnection("\\\\PRINTHOST", "Laser",
                                                                           QString()),
                 0u);
        PrinterAPI::PrinterChangeInfo info;
        QCOMPARE(PrinterAPI::readPrinterState(spooler, "\\\\PRINTHOST\\Laser", info), 0u);
        const quint32 serverLike =
            platform::spool::kAttributeShared | platform::spool::kAttributeNetwork;
        QCOMPARE(info.dwAttribute & serverLike, serverLike);
        QCOMPARE(PrinterAPI::setQueueShared(spooler, connection, true), 5u);
        QCOMPARE(PrinterAPI::deleteQueue(spooler, connection, false), 5u);
        QCOMPARE(PrinterAPI::deleteQueue(spooler, connection, true), 0u);
    }

    // SetDefaultPrinter with no name keeps the default there is.
    void emptyDefaultKeepsTheDefault() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        platform::Spooler& spooler = pc->pc().get<platform::Spooler>();
        QCOMPARE(spooler.setDefaultPrinter(L""), 0u);
        std::wstring name;
        QCOMPARE(spooler.defaultPrinter(name), 0u);
        QCOMPARE(QString::fromStdWString(name), QStringLiteral("Office Laser"));
    }

    void refusedAccess() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(
            PrinterAPI::setQueueShared(pc->pc().get<platform::Spooler>(), "Label Printer", true),
            5u);
        QCOMPARE(PrinterAPI::deleteQueue(pc->pc().get<platform::Spooler>(), "Label Printer", false),
                 5u);
        QCOMPARE(PrinterAPI::setQueueShared(pc->pc().get<platform::Spooler>(), "Nope", true),
                 1801u);
    }

    void deleteConnectionOnly() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(PrinterAPI::deleteQueue(pc->pc().get<platform::Spooler>(),
                                         "\\\\FILESERVER\\Accounting", true),
                 0u);
        QCOMPARE(PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 1).size(), 0);
        QCOMPARE(PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0).size(), 5);
        // A local queue is not a connection: nothing is deleted.
        QCOMPARE(PrinterAPI::deleteQueue(pc->pc().get<platform::Spooler>(), "Office Laser", true),
                 1801u);
        QCOMPARE(PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0).size(), 5);
    }

    void deleteLocalQueueWithItsJobs() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0).size(),
                 5);  // spools the jobs
        const QString spool = pc->directory() + "/drive_c/Windows/system32/spool/PRINTERS";
        QCOMPARE(QDir(spool).entryList({"*.SHD"}, QDir::Files).size(), 3);
        QCOMPARE(PrinterAPI::deleteQueue(pc->pc().get<platform::Spooler>(), "Office Laser", false),
                 0u);
        QCOMPARE(PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 0).size(), 4);
        QCOMPARE(QDir(spool).entryList({"*.SHD"}, QDir::Files).size(), 1);
        std::wstring defaultName;
        QCOMPARE(pc->pc().get<platform::Spooler>().defaultPrinter(defaultName),
                 platform::win32::kFileNotFound);
    }

    void setDefault() {
        auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QVERIFY(
            PrinterAPI::setDefaultPrinter(pc->pc().get<platform::Spooler>(), "Reception Color"));
        QVERIFY(!PrinterAPI::setDefaultPrinter(pc->pc().get<platform::Spooler>(), "Nope"));
        std::wstring defaultName;
        pc->pc().get<platform::Spooler>().defaultPrinter(defaultName);
        QCOMPARE(QString::fromStdWString(defaultName), QStringLiteral("Reception Color"));
    }

    // The host goes into an smb:// URL; URL syntax in it would send the share listing to
    // another host or user than the one named. Such a path names no printer.
    void connectionHostWithUrlSyntax_data() {
        QTest::addColumn<QString>("host");
        QTest::newRow("user") << "guest@127.0.0.1";
        QTest::newRow("port") << "127.0.0.1:445";
        QTest::newRow("path") << "127.0.0.1/IPC$";
        QTest::newRow("escape") << "127.0.0.1%2f";
        QTest::newRow("space") << "127.0.0.1 x";
    }

    void connectionHostWithUrlSyntax() {
        QFETCH(QString, host);
        auto pc = PcFolder::fromFixture(QStringLiteral("pc-without-printers"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QCOMPARE(
            PrinterAPI::addPrinterConnection(pc->pc().get<platform::Spooler>(), host, "LaserJet"),
            platform::win32::kInvalidPrinterName);
        QCOMPARE(PrinterAPI::listPrinters(pc->pc().get<platform::Spooler>(), 1).size(), 0);
    }

    void commandAdapters() {
        webhost::JsCall oneArgument({webhost::JsValue::integer(0)});
        QCOMPARE(PrinterCommands::openManagerCommand(oneArgument).toInt(), 536870913);
        webhost::JsCall unknown({webhost::JsValue::string(QByteArray("Nope"))});
        QCOMPARE(PrinterCommands::getPrinterInfoCommand(unknown).get("code").toInt(), 1801);
        QCOMPARE(PrinterCommands::setDefaultPrinterCommand(unknown).type(),
                 webhost::JsValue::Type::Boolean);
        int count = 0;
        QVERIFY(PrinterCommands::printerCountChanged(count));
        QCOMPARE(count, PrinterAPI::countPrinters(platform::spooler()));
        QVERIFY(!PrinterCommands::printerCountChanged(count));
    }
};

namespace {
const bool registered = registerTest<ActionsTest>("ActionsTest");
}  // namespace

#include "ActionsTest.moc"
