#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "downloads/User.h"
#include "mainwindow/MainBlkWindow.h"
#include "mainwindow/MainMessages.h"
#include "mainwindow/PagePayloads.h"
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
  "scanCbkByCpp", "onTrayDoubleClick", "onTrayOpen", "enumPrinterCbkByCpp"
].forEach(function (name) {
  window[name] = function () {
    recordCall(name, Array.prototype.slice.call(arguments));
    return true;
  };
});
</script></body></html>)";

struct PageCall {
    QByteArray name;
    QByteArray args;  // the arguments as the bridge writes them
};

// The main window with one more page function: where the test page records the calls it gets.
class RecordingWindow : public MainBlkWindow {
public:
    using MainBlkWindow::MainBlkWindow;
    QList<PageCall> calls;

protected:
    void bindPageFunctions() override {
        MainBlkWindow::bindPageFunctions();
        view()->bindFunction(
            "recordCall",
            [this](const webhost::JsCall& call, void*) {
                calls.append({call.utf8Arg(0), call.arg(1).toWire()});
                return JsValue();
            },
            nullptr, 2);
    }
};

class ArgumentsPayload : public mainwindow::PageArgumentsPayload {
public:
    explicit ArgumentsPayload(QList<JsValue> args) : m_args(std::move(args)) {}
    QList<JsValue> pageArguments() const override { return m_args; }

private:
    QList<JsValue> m_args;
};

// Ends when the UI thread sets its state to "interrupt", a little later, as a scan does.
class StandInSearcher : public mainwindow::SearcherThread {
protected:
    void run() override {
        while (state() != kStateInterrupt)
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
    void messagesReachPageFunctions_data();
    void messagesReachPageFunctions();
    void endedShareWorkIsMuted();
    void downloadFolderCommands();
    void driverPackages();
    void pcInfoReachesPage();
    void trayIconCallsPage();
    void printersThroughPage();
    void startupList();
    void closingWaitsForSearchers();  // last: it ends the event loop
    void cleanupTestCase();

private:
    QList<PageCall> waitForCalls(int count);
    JsValue runCommand(const QString& script);

    QTemporaryDir m_folder;
    RecordingWindow* m_window = nullptr;
};

void MainWindowTest::initTestCase() {
    QDir(m_folder.path()).mkpath("html");
    QFile page(m_folder.filePath("html/main.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(kPage);
    page.close();
    QVERIFY(webhost::loadEngine(m_folder.path(), kHost));

    m_window = new RecordingWindow(QByteArray(kHost) + "/main.html");
    webhost::WindowSettings settings;
    settings.host = kHost;
    webhost::FrameFlags frame;
    webhost::WindowOptions options;
    options.closeAsQuit = true;
    QVERIFY(m_window->create(settings, frame, options, false, false, webhost::kSwShow));
    QTRY_VERIFY_WITH_TIMEOUT(runCommand("typeof notifyWindowMSGByCpp").toUtf8() == "function",
                             20000);
}

JsValue MainWindowTest::runCommand(const QString& script) {
    // A page function that answers the expression, so the script runs in the page itself.
    m_window->view()->runScript("window.__answer = function () { return " + script + "; };");
    return m_window->callPage("__answer", {});
}

QList<PageCall> MainWindowTest::waitForCalls(int count) {
    if (!QTest::qWaitFor([&] { return m_window->calls.size() >= count; }, 10000))
        qWarning() << "waited in vain for" << count << "page calls";
    QList<PageCall> calls = m_window->calls;
    m_window->calls.clear();
    return calls;
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
        << "[" + PrinterAPI::changeInfoToObject(printerChange()).toWire() + "]";
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
    const QString defaultFolder = runCommand("downDir()").toText();
    QVERIFY2(defaultFolder.endsWith(QString::fromUtf8("/驱动")), qPrintable(defaultFolder));
    QVERIFY(QFileInfo(defaultFolder).isDir());
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
    // The view goes before the engine's profile does.
    m_window->destroyWindow();
    QTest::qWait(200);
}

int main(int argc, char** argv) {
    // The download folder's defaults live under HOME and the configuration folders: keep them in
    // a folder of this run.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", home.filePath("Documents").toUtf8());
    qputenv("CORVANTA_MACHINE", home.filePath("pc").toUtf8());
    QApplication::setApplicationName("Corvanta");
    QApplication::setOrganizationName("Talvent");
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
