#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>

#include "TestMain.h"

#include "RecordingWindow.h"
#include "downloads/User.h"
#include "mainwindow/CommandTable.h"
#include "mainwindow/MainBlkWindow.h"
#include "mainwindow/MainMessages.h"
#include "mainwindow/PagePayloads.h"
#include "mainwindow/PrinterCommands.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "printers/PrinterInventory.h"
#include "printers/PrinterMonitor.h"
#include "printers/PrinterRecords.h"
#include "webhost/EngineLoading.h"
#include "webhost/ShowCommand.h"
#include "webhost/TrayIcon.h"
#include "webhost/WindowMessages.h"

using mainwindow::MainBlkWindow;
using webhost::JsValue;

namespace {

constexpr char kHost[] = "http://mw.corvanta.test";

// Every page function the main window may call records its name and arguments.
constexpr char kPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body><script>
[
  "notifyFinishResetAllByCpp", "notifyPrinterChangeByCpp", "notifySharePrinterByCpp2",
  "queryShareEnvAsyncCbkByCpp", "addPrinterConnectionAsyncCbk",
  "queryShareEnvAsyncProgressCbkByCpp", "resetShareEnvResultCbkByCpp",
  "resetShareEnvProgressCbkByCpp", "installDriverPackageCbkByCpp", "notifyWindowMSGByCpp",
  "scanCbkByCpp", "onTrayDoubleClick", "onTrayOpen", "enumPrinterCbkByCpp",
  "notifyOnlineProgressByCpp", "notifyOnlineFinishByCpp", "notifyNetworkPrinterByCpp",
  "notifySharePrinterByCpp", "notifyShareProgressByCpp", "notifyShareFinishByCpp"
].forEach(function (name) {
  window[name] = function () {
    recordCall(name, Array.prototype.slice.call(arguments));
    return true;
  };
});
</script></body></html>)";

QString hostPath(const QString& windowsPath) {
    return QString::fromStdWString(platform::fileSystem().hostPath(windowsPath.toStdWString()));
}

class ArgumentsPayload : public mainwindow::PageArgumentsPayload {
public:
    explicit ArgumentsPayload(QList<JsValue> args) : m_args(std::move(args)) {}
    QList<JsValue> pageArguments() const override { return m_args; }

private:
    QList<JsValue> m_args;
};

// Ends when the UI thread sets its state to "interrupt", a little later, as a scan does.
class StandInSearcher : public netscan::PrinterSearcherThread {
public:
    StandInSearcher() : PrinterSearcherThread(kNetworkPrinters, nullptr) {}

protected:
    void run() override {
        while (state != kInterruptRequested)
            msleep(10);
        msleep(200);
    }
};

PrinterAPI::PrinterChangeInfo printerChange() {
    PrinterAPI::PrinterChangeInfo change;
    change.dwChanged = 1;
    change.printerName = QStringLiteral("Office Laser");
    change.dwNotifyField = {1};
    change.newPrinterName = QStringLiteral("Office Laser 2");
    return change;
}

// The payload kinds of the routing table: none, a printer change, a record of host shares.
std::unique_ptr<webhost::MessagePayload> makePayload(int kind) {
    if (kind == 1)
        return std::make_unique<PrinterAPI::PrinterChangePayload>(printerChange());
    if (kind == 2) {
        JsValue record = JsValue::emptyObject();
        record.set("printerName", JsValue::string(QByteArray("A")));
        return std::make_unique<ArgumentsPayload>(QList<JsValue>{record});
    }
    return nullptr;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandTable_data();
    void commandTable();
    void messagesReachPageFunctions_data();
    void messagesReachPageFunctions();
    void eachEndMutesItsOwnWork_data();
    void eachEndMutesItsOwnWork();
    void endedShareWorkIsMuted();
    void downloadFolderCommands();
    void driverPackages();
    void explorerGetsBackslashes();
    void pcInfoReachesPage();
    void trayIconCallsPage();
    void printersThroughPage();
    void startupList();
    void chineseTextHasAFont();
    void scanCommands();
    void shareScanReportsTheHostsThatList();
    void scanFromPageOnLan();
    void sharesFromPageOnLan();
    void closingWaitsForSearchers();  // last: it ends the event loop
    void cleanupTestCase();

private:
    std::unique_ptr<RecordingWindow, void (*)(RecordingWindow*)> openWindow(bool closeAsQuit);
    QList<PageCall> waitForCalls(int count);
    static QList<PageCall> waitForCalls(RecordingWindow& window, int count);
    JsValue runCommand(const QString& script);
    static JsValue runCommand(RecordingWindow& window, const QString& script);

    QTemporaryDir m_folder;
    RecordingWindow* m_window = nullptr;
};

void MainWindowTest::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    QDir(m_folder.path()).mkpath("html");
    QFile page(m_folder.filePath("html/main.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(kPage);
    page.close();
    QVERIFY(webhost::loadEngine(m_folder.path(), kHost));
    m_window = openWindow(true).release();
    QVERIFY(m_window);
}

// A main window on the test page, ready for commands; destroyed with its native window.
std::unique_ptr<RecordingWindow, void (*)(RecordingWindow*)> MainWindowTest::openWindow(
    bool closeAsQuit) {
    std::unique_ptr<RecordingWindow, void (*)(RecordingWindow*)> window(
        new RecordingWindow(QByteArray(kHost) + "/main.html"),
        [](RecordingWindow* w) { w->destroyWindow(); });
    webhost::WindowSettings settings;
    settings.host = kHost;
    webhost::FrameFlags frame;
    webhost::WindowOptions options;
    options.closeAsQuit = closeAsQuit;
    if (!window->create(settings, frame, options, false, false, webhost::kSwShow) ||
        !QTest::qWaitFor(
            [&] {
                return runCommand(*window, "typeof notifyWindowMSGByCpp").toUtf8() == "function";
            },
            20000))
        window.reset();
    return window;
}

JsValue MainWindowTest::runCommand(const QString& script) {
    return runCommand(*m_window, script);
}

JsValue MainWindowTest::runCommand(RecordingWindow& window, const QString& script) {
    // A page function that answers the expression, so the script runs in the page itself.
    window.view()->runScript("window.__answer = function () { return " + script + "; };");
    return window.callPage("__answer", {});
}

QList<PageCall> MainWindowTest::waitForCalls(int count) {
    return waitForCalls(*m_window, count);
}

QList<PageCall> MainWindowTest::waitForCalls(RecordingWindow& window, int count) {
    if (!QTest::qWaitFor([&] { return window.calls.size() >= count; }, 10000))
        qWarning() << "waited in vain for" << count << "page calls";
    QList<PageCall> calls = window.calls;
    window.calls.clear();
    return calls;
}

void MainWindowTest::commandTable_data() {
    using Bound = mainwindow::BoundParameter;
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("bound");
    QTest::addColumn<int>("declaredCount");
    struct Row {
        const char* name;
        Bound bound;
        int declaredCount;
    };
    // The page's commands in binding order, with their bound parameter and declared count.
    const Row rows[] = {
        {"startGetPcinfo", Bound::Window, 0},
        {"printerList", Bound::None, 5},
        {"downDir", Bound::None, 5},
        {"startScan", Bound::Window, 1},
        {"interrupt", Bound::Window, 1},
        {"exec", Bound::None, 1},
        {"checkPrinterSpool", Bound::None, 0},
        {"checkOcrFont", Bound::None, 0},
        {"checkFirewall", Bound::None, 0},
        {"checkPrinterSharing", Bound::None, 1},
        {"checkPrinterQueue", Bound::None, 1},
        {"restartPrinterSpool", Bound::None, 0},
        {"installOcrFont", Bound::None, 0},
        {"enableFirewall", Bound::None, 0},
        {"enablePrinterSharing", Bound::None, 1},
        {"cleanPrinterQueue", Bound::None, 1},
        {"enumPrinters", Bound::Window, 1},
        {"openManager", Bound::None, 2},
        {"printTestPage", Bound::None, 2},
        {"sharePrinter", Bound::None, 2},
        {"deletePrinter", Bound::None, 2},
        {"setDefaultPrinter", Bound::None, 2},
        {"viewPrintQueue", Bound::None, 2},
        {"addPrinter", Bound::None, 2},
        {"addPrinterConnection", Bound::None, 2},
        {"addPrinterConnectionAsync", Bound::Window, 2},
        {"showPrintPreferencesPage", Bound::None, 2},
        {"showPrinterPropertiesPage", Bound::None, 2},
        {"resetSpool_firewall_queue", Bound::Handle, 0},
        {"installDriverPackage", Bound::Handle, 3},
        {"getPrinterInfo", Bound::None, 0},
        {"setUSBServiceFilter", Bound::Window, 1},
        {"setNetDevOverCountUserHandle", Bound::Window, 3},
        {"checkMMCExists", Bound::None, 1},
        {"queryShareEnv", Bound::None, 0},
        {"queryShareEnvAsync", Bound::Window, 1},
        {"endQueryShareEnv", Bound::Window, 1},
        {"resetShareEnvAsync", Bound::Window, 0},
        {"endResetShareEnv", Bound::Window, 0},
        {"getLocalIps", Bound::Window, 0},
        {"getHostSharePrinter", Bound::Window, 1},
        {"netAddConnection", Bound::None, 3},
        {"netCancelConnection", Bound::None, 3},
    };
    int position = 0;
    for (const Row& row : rows) {
        QTest::addRow("%02d %s", position + 1, row.name)
            << position << QByteArray(row.name) << int(row.bound) << row.declaredCount;
        ++position;
    }
}

void MainWindowTest::commandTable() {
    QFETCH(int, position);
    QFETCH(QByteArray, name);
    QFETCH(int, bound);
    QFETCH(int, declaredCount);
    int size = 0;
    const mainwindow::CommandRow* table = mainwindow::commandTable(&size);
    QCOMPARE(size, 43);
    QCOMPARE(QByteArray(table[position].name), name);
    QCOMPARE(int(table[position].bound), bound);
    QCOMPARE(table[position].declaredCount, declaredCount);
}

void MainWindowTest::messagesReachPageFunctions_data() {
    QTest::addColumn<uint>("message");
    QTest::addColumn<qulonglong>("wParam");
    QTest::addColumn<qlonglong>("lParam");
    QTest::addColumn<int>("payload");
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<QByteArray>("args");
    QTest::newRow("0x84E repair ended")
        << 0x84Eu << 0ull << 0ll << 0 << QByteArray("notifyFinishResetAllByCpp")
        << QByteArray("[]");
    QTest::newRow("0x850 printer change")
        << 0x850u << 1ull << 0ll << 1 << QByteArray("notifyPrinterChangeByCpp")
        << "[" + PrinterCommands::changeInfoToObject(printerChange()).toWire() + "]";
    QTest::newRow("0x853 host shares")
        << 0x853u << 0ull << 7ll << 2 << QByteArray("notifySharePrinterByCpp2")
        << QByteArray(R"([{"printerName":"A"},7])");
    QTest::newRow("0x854 share check result")
        << 0x854u << 0ull << 0ll << 0 << QByteArray("queryShareEnvAsyncCbkByCpp")
        << QByteArray("[[0,0,0,0,0,0,0,0,0,0,0]]");
    QTest::newRow("0x855 connection added")
        << 0x855u << 5ull << 0ll << 0 << QByteArray("addPrinterConnectionAsyncCbk")
        << QByteArray("[5]");
    QTest::newRow("0x856 share check step")
        << 0x856u << 3ull << 1ll << 0 << QByteArray("queryShareEnvAsyncProgressCbkByCpp")
        << QByteArray("[3,11,1]");
    QTest::newRow("0x857 share repair result")
        << 0x857u << 0ull << 0ll << 0 << QByteArray("resetShareEnvResultCbkByCpp")
        << QByteArray("[]");
    QTest::newRow("0x858 share repair step")
        << 0x858u << 4ull << 0ll << 0 << QByteArray("resetShareEnvProgressCbkByCpp")
        << QByteArray("[4,11]");
    QTest::newRow("0x464 child closed")
        << 0x464u << 77ull << 0ll << 0 << QByteArray("notifyWindowMSGByCpp")
        << QByteArray("[77,1]");
}

// Posted from a worker thread, as background jobs do.
void MainWindowTest::messagesReachPageFunctions() {
    QFETCH(uint, message);
    QFETCH(qulonglong, wParam);
    QFETCH(qlonglong, lParam);
    QFETCH(int, payload);
    QFETCH(QByteArray, function);
    QFETCH(QByteArray, args);
    const webhost::WindowHandle handle = m_window->handle();
    std::thread([=] {
        webhost::postMessage(handle, message, wParam, lParam, makePayload(payload));
    }).join();
    const QList<PageCall> calls = waitForCalls(1);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].name, function);
    QCOMPARE(calls[0].args, args);
}

void MainWindowTest::eachEndMutesItsOwnWork_data() {
    QTest::addColumn<QString>("end");
    QTest::addColumn<QList<QByteArray>>("heard");
    QTest::newRow("endQueryShareEnv")
        << "endQueryShareEnv(0)"
        << QList<QByteArray>{"resetShareEnvProgressCbkByCpp", "resetShareEnvResultCbkByCpp",
                             "addPrinterConnectionAsyncCbk"};
    QTest::newRow("endResetShareEnv")
        << "endResetShareEnv()"
        << QList<QByteArray>{"queryShareEnvAsyncProgressCbkByCpp", "queryShareEnvAsyncCbkByCpp",
                             "addPrinterConnectionAsyncCbk"};
}

// Each end mutes the messages of its own work and no others; a window of its own, since the
// mutes last for a window's life.
void MainWindowTest::eachEndMutesItsOwnWork() {
    QFETCH(QString, end);
    QFETCH(QList<QByteArray>, heard);
    const auto window = openWindow(false);
    QVERIFY(window);
    QCOMPARE(runCommand(*window, end).toBoolean(), true);
    const webhost::WindowHandle handle = window->handle();
    for (unsigned message : {mainwindow::kMsgShareQueryProgress, mainwindow::kMsgShareQueryResult,
                             mainwindow::kMsgShareResetProgress, mainwindow::kMsgShareResetResult})
        webhost::postMessage(handle, message, 1, 1);
    // Handled in order: when this one arrives, the others have been handled too.
    webhost::postMessage(handle, mainwindow::kMsgPrinterConnectionAdded, 9, 0);
    const QList<PageCall> calls = waitForCalls(*window, heard.size());
    QList<QByteArray> names;
    for (const PageCall& call : calls)
        names << call.name;
    QCOMPARE(names, heard);
}

void MainWindowTest::endedShareWorkIsMuted() {
    QCOMPARE(runCommand("endQueryShareEnv(0)").toBoolean(), true);
    QCOMPARE(runCommand("endResetShareEnv()").toBoolean(), true);
    const webhost::WindowHandle handle = m_window->handle();
    for (unsigned muted : {mainwindow::kMsgShareQueryProgress, mainwindow::kMsgShareQueryResult,
                           mainwindow::kMsgShareResetProgress, mainwindow::kMsgShareResetResult})
        webhost::postMessage(handle, muted, 1, 1);
    // Handled in order: when this one arrives, the muted ones have been handled too.
    webhost::postMessage(handle, mainwindow::kMsgPrinterConnectionAdded, 9, 0);
    const QList<PageCall> calls = waitForCalls(1);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].name, QByteArray("addPrinterConnectionAsyncCbk"));
}

void MainWindowTest::downloadFolderCommands() {
    // The simulated PC's documents folder, as the page sees every other path.
    const QString defaultFolder = runCommand("downDir()").toText();
    const QString user = QString::fromStdWString(platform::systemInfo().userName());
    QCOMPARE(defaultFolder, QString::fromUtf8("C:/Users/%1/Documents/驱动").arg(user));
    QVERIFY(QFileInfo(hostPath(defaultFolder)).isDir());
    QCOMPARE(runCommand("downDir(5)").type(), JsValue::Type::Undefined);
    QCOMPARE(runCommand("downDir()").toText(), defaultFolder);
    QCOMPARE(runCommand(QString::fromUtf8("downDir('D:/驱动包')")).toBoolean(), true);
    QCOMPARE(runCommand("downDir()").toText(), QString::fromUtf8("D:/驱动包"));
}

void MainWindowTest::driverPackages() {
    QTemporaryDir packages;
    const QString setup = packages.filePath("setup.exe");
    QFile script(setup);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nsleep 0.2\nexit 3\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    QFile::copy(setup, packages.filePath("SETUP.EXE"));

    QCOMPARE(runCommand("installDriverPackage('tag', '" + packages.filePath("absent.exe") + "')")
                 .toInt(),
             3);
    QCOMPARE(runCommand("installDriverPackage('tag', '" + setup + "')").toInt(), 0);
    const QList<PageCall> calls = waitForCalls(1);
    QCOMPARE(calls[0].name, QByteArray("installDriverPackageCbkByCpp"));
    QCOMPARE(calls[0].args, QByteArray(R"(["tag",0])"));
    // The suffix test is case-sensitive: this one is shown, not started.
    QCOMPARE(
        runCommand("installDriverPackage('tag', '" + packages.filePath("SETUP.EXE") + "')").toInt(),
        1);
    QCOMPARE(runCommand("exec('" + setup + "', 7)").toBoolean(), false);
}

// Explorer is handed the package's Windows path with backslashes, however the page wrote it.
void MainWindowTest::explorerGetsBackslashes() {
    const QString user = QString::fromStdWString(platform::systemInfo().userName());
    const QString package = QStringLiteral("C:/Users/%1/Downloads/driver.zip").arg(user);
    QFile file(hostPath(package));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(runCommand("installDriverPackage('tag', '" + package + "')").toInt(), 1);
    QCOMPARE(runCommand("openDirAndSelectFile('" + package + "')").toBoolean(), true);
    const QString expected =
        QStringLiteral("/select,C:\\Users\\%1\\Downloads\\driver.zip").arg(user);
    // What the simulated explorer was asked to show, for this package.
    auto requests = [] {
        QFile shell(QDir(qEnvironmentVariable("CORVANTA_MACHINE")).filePath("state/shell.json"));
        QStringList shown;
        if (shell.open(QIODevice::ReadOnly)) {
            for (const QJsonValue& request :
                 QJsonDocument::fromJson(shell.readAll()).object()["explorerRequests"].toArray()) {
                if (request.toString().contains("driver.zip"))
                    shown << request.toString();
            }
        }
        return shown;
    };
    QTRY_COMPARE_WITH_TIMEOUT(requests().size(), 2, 10000);
    QCOMPARE(requests(), QStringList({expected, expected}));
}

void MainWindowTest::pcInfoReachesPage() {
    QCOMPARE(runCommand("startGetPcinfo()").toBoolean(), true);
    const QList<PageCall> calls = waitForCalls(1);
    QCOMPARE(calls[0].name, QByteArray("scanCbkByCpp"));
    QVERIFY2(calls[0].args.contains(R"(\"host\": \"DESKTOP-4K7QW2M\")"), calls[0].args);
}

// Whether or not the desktop has a notification area, the icon's events reach the page.
void MainWindowTest::trayIconCallsPage() {
    runCommand(
        "shellNotifyIcon(handle, 0, new Array(200).join('x'), 1, {"
        "  LBTN_DBCLK: {function: 'onTrayDoubleClick'},"
        "  RBTN_CLK: {menu: [{id: 5, function: 'onTrayOpen', text: 'Open'}]}})");
    QCOMPARE(m_window->trayIcon().tip().size(), 127);
    QCOMPARE(m_window->trayIcon().menuEntries().size(), 1);
    runCommand("sendMessage(handle, 0x467, 0, 0x203)");  // double-click
    runCommand("sendMessage(handle, 0x111, 5, 0)");      // menu item 5 chosen
    runCommand("sendMessage(handle, 0x111, 6, 0)");      // not an item of this menu
    const QList<PageCall> calls = waitForCalls(2);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].name, QByteArray("onTrayDoubleClick"));
    QCOMPARE(calls[1].name, QByteArray("onTrayOpen"));
}

// The page lists the queues, acts on one, and sees changes live: the test page's job, and a
// pause made by another process.
void MainWindowTest::printersThroughPage() {
    runCommand("enumPrinters(0)");
    const QList<PageCall> listed = waitForCalls(1);
    QCOMPARE(listed[0].name, QByteArray("enumPrinterCbkByCpp"));
    for (const char* queue : {"Office Laser", "Reception Color", "Microsoft Print to PDF"})
        QVERIFY2(listed[0].args.contains(queue), queue);

    PrinterAPI::PrinterMonitor::instance().subscribeAndStart(m_window->handle(),
                                                             PrinterAPI::PrinterMonitor::kMaskAll);
    QTRY_VERIFY_WITH_TIMEOUT(PrinterAPI::PrinterMonitor::instance().passesStarted() > 0, 10000);
    QCOMPARE(runCommand("printTestPage('Office Laser')").toInt(), 0);
    // A quote in the name would add parameters of its own to printui's: refused.
    QCOMPARE(runCommand(R"(printTestPage('Office\" /q /n \"Other'))").toInt(), 1801);
    const QString tool = QCoreApplication::applicationDirPath() + "/corvanta-sim";
    QCOMPARE(QProcess::execute(tool, {"printer", "pause", "Reception Color"}), 0);

    auto changedQueue = [this](const char* queue) {
        for (const PageCall& call : m_window->calls) {
            if (call.name == "notifyPrinterChangeByCpp" && call.args.contains(queue))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(changedQueue("Office Laser") && changedQueue("Reception Color"),
                             10000);
    PrinterAPI::PrinterMonitor::instance().unsubscribe(m_window->handle());
    QTest::qWait(300);
    m_window->calls.clear();
}

void MainWindowTest::startupList() {
    const QString program = R"('C:\\Program Files\\Corvanta\\corvanta.exe')";
    QCOMPARE(runCommand("addToStartupList('Corvanta', " + program + ")").toInt(), 0);
    QCOMPARE(runCommand("checkStartupList('Corvanta', " + program + ")").toBoolean(), true);
    QCOMPARE(runCommand("checkStartupList('Corvanta', " + program.toLower() + ")").toBoolean(),
             false);
    QCOMPARE(runCommand("deleteFromStartupList('Corvanta')").toInt(), 0);
    QCOMPARE(runCommand("checkStartupList('Corvanta', " + program + ")").toBoolean(), false);
    QCOMPARE(runCommand("deleteFromStartupList('Corvanta')").toInt(), 2);
}

// The page and the message boxes speak Chinese ("驱动", "提示", "警告"): some installed font must
// draw those characters, or the user sees boxes.
void MainWindowTest::chineseTextHasAFont() {
    const QString text = QString::fromUtf8("驱动提示警告");
    bool covered = false;
    for (const QString& family : QFontDatabase().families(QFontDatabase::SimplifiedChinese)) {
        const QFontMetrics metrics{QFont(family)};
        covered = covered || std::all_of(text.begin(), text.end(),
                                         [&metrics](QChar c) { return metrics.inFont(c); });
    }
    QVERIFY2(covered, "no font draws 驱动提示警告; scripts/deps.sh installs one");
}

// A scan held in its USB phase until it is interrupted, so that a second start meets it running.
void MainWindowTest::scanCommands() {
    m_window->prepareSearcher = [](netscan::PrinterSearcherThread& searcher) {
        searcher.usbPhase = [](netscan::PrinterSearcher& scan) {
            while (scan.isRunning())
                QThread::msleep(5);
        };
    };
    m_window->calls.clear();
    QCOMPARE(runCommand("interrupt(1)").toBoolean(), true);  // no searcher: the warning only
    QCOMPARE(runCommand("startScan(3)").type(), JsValue::Type::Undefined);
    QVERIFY(!m_window->searcher(MainBlkWindow::kOnlineSearch));
    // The over-count answer only stores the page's words: the address is data, never probed
    // (and a loopback one, should that ever change).
    QCOMPARE(runCommand("setNetDevOverCountUserHandle(1, '127.0.0.9', '255.0.0.0')").type(),
             JsValue::Type::Undefined);

    QCOMPARE(runCommand("startScan(1)").toInt(), 0);
    QCOMPARE(runCommand("startScan(1)").toInt(), 1);
    netscan::PrinterSearcherThread* searcher = m_window->searcher(MainBlkWindow::kOnlineSearch);
    QVERIFY(searcher);
    QCOMPARE(runCommand("setNetDevOverCountUserHandle(2, '127.0.0.9', '255.0.0.0')").type(),
             JsValue::Type::Undefined);
    QCOMPARE(searcher->overCountChoice, 2);
    QCOMPARE(searcher->overCountMask, std::string("255.0.0.0"));
    QCOMPARE(runCommand("interrupt(1)").toBoolean(), true);
    QVERIFY(
        QTest::qWaitFor([&] { return !m_window->searcher(MainBlkWindow::kOnlineSearch); }, 10000));
    m_window->prepareSearcher = nullptr;
    QStringList calls;
    for (const PageCall& call : waitForCalls(2))
        calls << QString::fromUtf8(call.name + call.args);
    QCOMPARE(calls,
             (QStringList{"notifyOnlineProgressByCpp[1,100,3,0,0]", "notifyOnlineFinishByCpp[1]"}));
    QVERIFY(runCommand("getLocalIps()").isArray());
}

// A shared-printer scan of the PC's loopback subnet: every host answers the ping, and the host
// share query (here a stand-in for the sharing layer's probe, which the window sets) answers a
// listing for one, a refusal for another and no answer for the rest. Only the first two reach
// the page, as the host share record with its code, and the scan ends once.
void MainWindowTest::shareScanReportsTheHostsThatList() {
    bool queryWasSet = false;
    m_window->prepareSearcher = [&queryWasSet](netscan::PrinterSearcherThread& searcher) {
        queryWasSet = bool(searcher.hostShareQuery);
        searcher.hostShareQuery = [](const std::string& ip) {
            netscan::PrinterSearcher::HostShares shares;
            shares.ip = ip;
            shares.code = 2;
            if (ip == "127.0.0.20") {
                shares = {ip, "PC-B", "WORKGROUP", {L"Maker 打印机", L"Label"}, 0};
            } else if (ip == "127.0.0.21") {
                shares = {ip, "PC-C", "OFFICE", {}, 1};
            }
            return shares;
        };
    };
    m_window->calls.clear();
    QCOMPARE(runCommand("startScan(2)").toInt(), 0);
    m_window->prepareSearcher = nullptr;
    QVERIFY(queryWasSet);
    auto finishes = [this] {
        QList<QByteArray> found;
        for (const PageCall& call : m_window->calls) {
            if (call.name == "notifyShareFinishByCpp")
                found << call.args;
        }
        return found;
    };
    QVERIFY(QTest::qWaitFor([&] { return !finishes().isEmpty(); }, 30000));
    QVERIFY(
        QTest::qWaitFor([&] { return !m_window->searcher(MainBlkWindow::kShareSearch); }, 10000));
    QCOMPARE(finishes(), QList<QByteArray>{"[0]"});
    QStringList hosts;
    for (const PageCall& call : m_window->calls) {
        if (call.name == "notifySharePrinterByCpp")
            hosts << QString::fromUtf8(call.args);
    }
    hosts.sort();
    QCOMPARE(hosts, (QStringList{R"(["127.0.0.20","PC-B","WORKGROUP",["Maker 打印机","Label"],0])",
                                 R"(["127.0.0.21","PC-C","OFFICE",[],1])"}));
}

// Run by the netscan LAN test inside the test LAN's client namespace, on a PC that reports the
// namespace's adapters: the page starts a scan, sees the USB phase, the two SNMP printers and
// the progress up to 100, then starts another and interrupts it.
void MainWindowTest::scanFromPageOnLan() {
    if (qEnvironmentVariableIsEmpty("CORVANTA_LAN_CLIENT"))
        QSKIP("run by test_netscan (LanScanTest) inside its test LAN, as root");
    m_window->calls.clear();
    QCOMPARE(runCommand("startScan(1)").toInt(), 0);
    auto finished = [this] { return m_window->count("notifyOnlineFinishByCpp") > 0; };
    QVERIFY(QTest::qWaitFor(finished, 90000));
    QStringList printers, finishes;
    QList<QByteArray> progress;
    for (const PageCall& call : m_window->calls) {
        if (call.name == "notifyNetworkPrinterByCpp")
            printers << QString::fromUtf8(call.args);
        else if (call.name == "notifyOnlineFinishByCpp")
            finishes << QString::fromUtf8(call.args);
        else if (call.name == "notifyOnlineProgressByCpp")
            progress << call.args;
    }
    printers.sort();
    QCOMPARE(printers, (QStringList{R"(["10.200.0.5","Maker","Printer 7"])",
                                    R"(["10.200.0.9","Maker","Printer 11"])"}));
    QCOMPARE(finishes, QStringList{"[0]"});
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.first(), QByteArray("[1,100,3,0,0]"));
    QCOMPARE(progress.last(), QByteArray("[100,100,0,253,253]"));

    QVERIFY(
        QTest::qWaitFor([&] { return !m_window->searcher(MainBlkWindow::kOnlineSearch); }, 10000));
    m_window->calls.clear();
    QCOMPARE(runCommand("startScan(1)").toInt(), 0);
    QTest::qWait(1500);
    QCOMPARE(runCommand("interrupt(1)").toBoolean(), true);
    QVERIFY(QTest::qWaitFor(finished, 20000));
    QTest::qWait(500);
    int finishCount = 0;
    for (const PageCall& call : m_window->calls) {
        if (call.name == "notifyOnlineFinishByCpp") {
            ++finishCount;
            QCOMPARE(call.args, QByteArray("[1]"));
        }
    }
    QCOMPARE(finishCount, 1);
}

// Run by the netscan LAN test inside the test LAN's client namespace: the page probes the two
// SMB hosts, logs on to the one that wants a password and off again, then finds both with a
// shared-printer scan.
void MainWindowTest::sharesFromPageOnLan() {
    if (qEnvironmentVariableIsEmpty("CORVANTA_LAN_CLIENT"))
        QSKIP("run by test_netscan (LanScanTest) inside its test LAN, as root");
    const QByteArray guest = R"(["10.200.0.20","FAKEPRN20","TESTWG",["LaserJet"],0])";
    const QByteArray refused = R"(["10.200.0.21","FAKEPRN21","TESTWG",[],1])";
    const QByteArray listed = R"(["10.200.0.21","FAKEPRN21","TESTWG",["LaserJet"],0])";
    auto probe = [this](const char* host) {
        m_window->calls.clear();
        runCommand(QStringLiteral("getHostSharePrinter('%1')").arg(host));
        const QList<PageCall> calls = waitForCalls(1);
        return calls.isEmpty() ? QByteArray() : calls.first().name + calls.first().args;
    };
    const QByteArray answer = "notifySharePrinterByCpp2";
    // Samba starts its helpers at the first listing, and each host's name server answers once
    // its own nmbd is up: either may take longer than a probe waits (seen under
    // ThreadSanitizer, the second host's name still unanswered after the first had answered).
    QVERIFY(QTest::qWaitFor([&] { return probe("10.200.0.20") == answer + guest; }, 30000));
    QVERIFY(QTest::qWaitFor([&] { return probe("10.200.0.21") == answer + refused; }, 30000));
    QCOMPARE(runCommand("netAddConnection('10.200.0.21', 'daemon', 'Secret123')").toInt(), 0);
    QCOMPARE(probe("10.200.0.21"), answer + listed);
    QCOMPARE(runCommand("netCancelConnection('10.200.0.21', 0, 1)").toInt(), 0);
    QCOMPARE(probe("10.200.0.21"), answer + refused);
    QCOMPARE(probe("no-such-host.invalid"), answer + R"(["","","",[],4])");

    m_window->calls.clear();
    QCOMPARE(runCommand("startScan(2)").toInt(), 0);
    auto finished = [this] { return m_window->count("notifyShareFinishByCpp") > 0; };
    QVERIFY(QTest::qWaitFor(finished, 90000));
    QTest::qWait(500);
    QStringList hosts, finishes;
    for (const PageCall& call : m_window->calls) {
        if (call.name == "notifySharePrinterByCpp")
            hosts << QString::fromUtf8(call.args);
        else if (call.name == "notifyShareFinishByCpp")
            finishes << QString::fromUtf8(call.args);
    }
    hosts.sort();
    QCOMPARE(hosts, (QStringList{QString::fromUtf8(guest), QString::fromUtf8(refused)}));
    QCOMPARE(finishes, QStringList{"[0]"});
}

void MainWindowTest::closingWaitsForSearchers() {
    auto* searcher = new StandInSearcher;
    m_window->adoptSearcher(MainBlkWindow::kOnlineSearch, searcher);
    searcher->start();
    bool searcherDoneAtQuit = false;
    connect(qApp, &QCoreApplication::aboutToQuit, this, [&] {
        searcherDoneAtQuit = m_window->searcher(MainBlkWindow::kOnlineSearch) == nullptr;
    });
    QTimer::singleShot(0, this, [this] {
        webhost::postMessage(m_window->handle(), webhost::kWmSysCommand, webhost::kScClose, 0);
    });
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(m_window->quitWhenIdle());
    QVERIFY(!m_window->widget()->isVisible());
    QVERIFY(searcherDoneAtQuit);
}

void MainWindowTest::cleanupTestCase() {
    // The view goes before the engine's profile does; the change monitor's threads are joined,
    // as the program does at its end.
    m_window->destroyWindow();
    PrinterAPI::PrinterMonitor::instance().stop();
    QTest::qWait(200);
}

namespace {

// The download folder's defaults live under HOME and the configuration folders: keep them in a
// folder of this run.
const bool prepared = registerProcessSetup([] {
    const QString home = processFolder();
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (home + "/Documents").toUtf8());
    // The LAN scan brings its own PC, one that reports the LAN's adapters.
    if (qEnvironmentVariableIsEmpty("CORVANTA_LAN_CLIENT"))
        qputenv("CORVANTA_MACHINE", (home + "/pc").toUtf8());
    QApplication::setApplicationName("Corvanta");
    QApplication::setOrganizationName("Talvent");
});

const bool registered = registerTest<MainWindowTest>("MainWindowTest");

}  // namespace

#include "tst_mainwindow.moc"
