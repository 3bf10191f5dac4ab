#include "PageTest.h"

#include "TestMain.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <QWidget>
#include <algorithm>

#include "WebView.h"
#include "engine/ProfileStore.h"

using webhost::JsCall;
using webhost::JsValue;
using webhost::WebEngine;

namespace {

constexpr const char* kHost = "http://corvanta.test";
constexpr const char* kPageUrl = "http://corvanta.test/index.html";
constexpr int kWaitMs = 20000;
constexpr int kWindowHandle = 4242;
constexpr int kEnglish = 0x0409;
constexpr int kChinese = 0x0804;
const QString kDownloads = QStringLiteral("/home/user/Documents/驱动");

// The main window's 43 commands.
const QList<QByteArray> kCommands = {"startGetPcinfo",
                                     "printerList",
                                     "downDir",
                                     "startScan",
                                     "interrupt",
                                     "exec",
                                     "checkPrinterSpool",
                                     "checkOcrFont",
                                     "checkFirewall",
                                     "checkPrinterSharing",
                                     "checkPrinterQueue",
                                     "restartPrinterSpool",
                                     "installOcrFont",
                                     "enableFirewall",
                                     "enablePrinterSharing",
                                     "cleanPrinterQueue",
                                     "enumPrinters",
                                     "openManager",
                                     "printTestPage",
                                     "sharePrinter",
                                     "deletePrinter",
                                     "setDefaultPrinter",
                                     "viewPrintQueue",
                                     "addPrinter",
                                     "addPrinterConnection",
                                     "addPrinterConnectionAsync",
                                     "showPrintPreferencesPage",
                                     "showPrinterPropertiesPage",
                                     "resetSpool_firewall_queue",
                                     "installDriverPackage",
                                     "getPrinterInfo",
                                     "setUSBServiceFilter",
                                     "setNetDevOverCountUserHandle",
                                     "checkMMCExists",
                                     "queryShareEnv",
                                     "queryShareEnvAsync",
                                     "endQueryShareEnv",
                                     "resetShareEnvAsync",
                                     "endResetShareEnv",
                                     "getLocalIps",
                                     "getHostSharePrinter",
                                     "netAddConnection",
                                     "netCancelConnection"};

// The framework functions the page uses (bound on every web window).
const QList<QByteArray> kFrameworkFunctions = {"getUserDefaultUILanguage",
                                               "setDragRect",
                                               "closeWindow",
                                               "sendMessage",
                                               "showWindow",
                                               "selectDir",
                                               "selectMultiFiles",
                                               "listDir",
                                               "formatMessage",
                                               "restartComputer"};

JsValue text(const QString& value) {
    return JsValue::string(value);
}

JsValue number(qint64 value) {
    return JsValue::integer(value);
}

JsValue array(const QList<JsValue>& items) {
    return JsValue::arrayOf(items);
}

// What the stubs answer unless a test says otherwise: a healthy PC.
QHash<QByteArray, JsValue> defaultAnswers() {
    return {
        {"getUserDefaultUILanguage", number(kEnglish)},
        {"startGetPcinfo", JsValue::boolean(true)},
        {"startScan", number(0)},
        {"exec", JsValue::boolean(true)},
        {"checkPrinterSpool", number(4)},
        {"checkOcrFont", JsValue::boolean(false)},
        {"checkFirewall", JsValue::boolean(true)},
        {"checkPrinterQueue", number(0)},
        {"checkMMCExists", JsValue::boolean(true)},
        {"restartPrinterSpool", number(0)},
        {"installOcrFont", number(0)},
        {"enableFirewall", number(0)},
        {"resetSpool_firewall_queue", number(0)},
        {"printTestPage", number(0)},
        {"viewPrintQueue", number(0)},
        {"showPrintPreferencesPage", number(0)},
        {"showPrinterPropertiesPage", number(0)},
        {"sharePrinter", number(0)},
        {"deletePrinter", number(0)},
        {"setDefaultPrinter", JsValue::boolean(true)},
        {"openManager", number(0)},
        {"addPrinterConnectionAsync", JsValue::null()},
        {"installDriverPackage", number(0)},
        {"resetShareEnvAsync", JsValue::boolean(false)},
        {"endQueryShareEnv", JsValue::boolean(true)},
        {"endResetShareEnv", JsValue::boolean(true)},
        {"netAddConnection", number(0)},
        {"netCancelConnection", number(0)},
        {"setUSBServiceFilter", JsValue::boolean(true)},
        {"listDir", array({text("setup.exe"), text("driver.zip"), text("readme.txt")})},
        {"selectDir", text("")},
        {"selectMultiFiles", text("")},
        {"formatMessage", text("")},
        {"restartComputer", JsValue::boolean(true)},
        {"sendMessage", number(0)},
        {"closeWindow", JsValue::boolean(true)},
    };
}

// The probe helpers a test uses inside the page: run an expression and answer its text;
// click, type into and submit elements that must exist.
constexpr const char* kHelpers = R"(
window.__probe = function (src) {
  try { var v = eval(src); return v === undefined ? 'undefined' : String(v); }
  catch (e) { return 'throw: ' + e.message; }
};
window.__el = function (sel) {
  var e = document.querySelector(sel);
  if (!e) throw new Error('no element ' + sel);
  return e;
};
window.__click = function (sel) { __el(sel).click(); return 'clicked'; };
window.__type = function (sel, value) { __el(sel).value = value; return 'typed'; };
window.__text = function (sel) { return __el(sel).textContent; };
)";

// Hides the commands named in the address (?missing=a,b or ?missing=all), as an older
// program that does not bind them would leave the page. The names stay undefined whether the
// bindings are made before or after this script.
QString missingCommandsScript() {
    QStringList names;
    for (const QByteArray& name : kCommands)
        names << QStringLiteral("'%1'").arg(QString::fromLatin1(name));
    return QStringLiteral(
               "(function(){var m=/[?&]missing=([^&]*)/.exec(location.search);if(!m)return;"
               "var all=[%1];var names=m[1]==='all'?all:decodeURIComponent(m[1]).split(',');"
               "names.forEach(function(n){Object.defineProperty(window,n,{configurable:true,"
               "get:function(){return undefined;},set:function(){}});});})();")
        .arg(names.join(','));
}

}  // namespace

// Lets the engine reach only the served host: every other request is refused and kept.
class LocalOnlyInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        if (url.scheme() == QLatin1String("data") ||
            (url.scheme() == QLatin1String("http") &&
             url.host() == QLatin1String("corvanta.test"))) {
            return;
        }
        foreign << url.toString();
        info.block(true);
    }
    QStringList foreign;
};

PageTest::PageTest() = default;
PageTest::~PageTest() = default;

QByteArray PageTest::fixture(const QString& name) {
    QFile file(QStringLiteral(PAGE_TEST_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

void PageTest::initTestCase() {
    QString error;
    QVERIFY2(WebEngine::load(QStringLiteral(CORVANTA_SOURCE_DIR), kHost, &error),
             qPrintable(error));
    m_interceptor = std::make_unique<LocalOnlyInterceptor>();
    webhost::ProfileStore::instance()
        .profileFor(QString(), QString())
        ->setUrlRequestInterceptor(m_interceptor.get());
    m_window = std::make_unique<QWidget>();
    m_window->resize(800, 600);
    m_view = WebEngine::createView(m_window.get(), 0, 0, 800, 600);
    QVERIFY(m_view);
    m_window->show();
    webhost::ViewEvents events;
    events.loadingFinished = [this] {
        m_loaded = true;
        if (m_loadWait)
            m_loadWait->quit();
    };
    m_view->setEvents(events);
    bindStubs();
    // After the bindings, so that it runs after them in each new document.
    auto* view = qobject_cast<QWebEngineView*>(m_view->widget());
    QVERIFY(view);
    QWebEngineScript script;
    script.setName(QStringLiteral("older-program"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setSourceCode(missingCommandsScript());
    view->page()->scripts().insert(script);
}

void PageTest::bindStubs() {
    QList<QByteArray> names = kCommands + kFrameworkFunctions;
    for (const QByteArray& name : names) {
        m_view->bindFunction(
            name,
            [this, name](const JsCall& call, void*) {
                JsValue args = JsValue::emptyArray();
                for (int i = 0; i < call.argCount(); ++i)
                    args.append(call.arg(i));
                m_calls.append({name, args});
                // downDir answers the folder when read and true when set.
                if (name == "downDir" && !m_answers.contains(name))
                    return call.argCount() ? JsValue::boolean(true) : text(kDownloads);
                return m_answers.value(name);
            },
            nullptr, 0);
    }
}

void PageTest::init() {
    m_answers = defaultAnswers();
    m_calls.clear();
}

// No test may leave a page error behind (a thrown handler, a script error).
void PageTest::cleanup() {
    QCOMPARE(probe(QStringLiteral("App.errors.join(' | ')")), QString());
}

void PageTest::cleanupTestCase() {
    m_view.reset();
    m_window.reset();
}

// Loads the page afresh, as the program does: the page, then the published window handle,
// then the two printer enumerations answered.
void PageTest::loadPage(const QString& missing) {
    m_calls.clear();
    m_loaded = false;
    const QString query = missing.isEmpty() ? QString() : QStringLiteral("?missing=") + missing;
    m_view->loadUrl(QString::fromLatin1(kPageUrl) + query);
    if (!m_loaded) {
        QEventLoop loop;
        m_loadWait = &loop;
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
        m_loadWait = nullptr;
    }
    QVERIFY(m_loaded);
    m_view->setGlobal("handle", number(kWindowHandle));
    m_view->runScript(QString::fromLatin1(kHelpers));
    QCOMPARE(probe(QStringLiteral("typeof App")), QStringLiteral("object"));
    m_loadedMissing = missing;
    // An older program without the enumeration never answers it.
    if (missing != QLatin1String("all") && !missing.contains(QLatin1String("enumPrinters")))
        feedPrinters();
}

void PageTest::feedPrinters() {
    m_view->callGlobal("enumPrinterCbkByCpp", {JsValue::string(fixture("printers-local.json"))});
    m_view->callGlobal("enumPrinterCbkByCpp",
                       {JsValue::string(fixture("printers-connections.json"))});
}

// What a scan, a sharing check and the PC inventory would have reported.
void PageTest::feedSampleResults() {
    m_view->callGlobal("scanCbkByCpp", {JsValue::string(fixture("pcinfo.json"))});
    m_view->callGlobal("notifyUsbPrinterByCpp",
                       {text(R"({"compatibleids":["USBPRINT\\MakerX"],"deviceDesc":"Photo 200",)"
                             R"("friendlyName":"","hardwareids":["USB\\VID_04A9&PID_1234"],)"
                             R"("mfg":"","searchMethod":3})")});
    m_view->callGlobal(
        "notifyUsbPrinterByCpp2",
        {array({JsValue::objectOf({{"Name", text("USB Composite Device")},
                                   {"Manu", text("(Standard USB Host Controller)")},
                                   {"Service", text("usbccgp")},
                                   {"Hardwareid", text("USB\\VID_04A9&PID_1234")},
                                   {"Instanceid", text("USB\\VID_04A9&PID_1234\\1")}})})});
    m_view->callGlobal("notifyNetworkPrinterByCpp",
                       {text("192.168.1.20"), text("Maker"), text("Jet 8600")});
    m_view->callGlobal("notifyNetworkPrinterByCpp",
                       {text("192.168.1.44"), text("Fabrik"), text("Laser 2270")});
    m_view->callGlobal("notifyOnlineProgressByCpp",
                       {number(100), number(100), number(0), number(254), number(254)});
    m_view->callGlobal("notifyOnlineFinishByCpp", {number(0)});
    m_view->callGlobal("notifySharePrinterByCpp",
                       {text("192.168.1.30"), text("PC-B"), text("WORKGROUP"),
                        array({text("Colour"), text("财务部打印机")}), number(0)});
    m_view->callGlobal("notifySharePrinterByCpp", {text("192.168.1.31"), text("PC-C"),
                                                   text("WORKGROUP"), array({}), number(1)});
    m_view->callGlobal("queryShareEnvAsyncCbkByCpp",
                       {array({number(0), number(1), number(3), number(13), number(1), number(0),
                               number(1), number(0), number(3), number(0), number(1)})});
}

QString PageTest::probe(const QString& expression) {
    return m_view->callGlobal("__probe", {text(expression)}).toText();
}

QList<PageTest::Call> PageTest::callsOf(const QByteArray& name) const {
    QList<Call> found;
    for (const Call& call : m_calls) {
        if (call.name == name)
            found << call;
    }
    return found;
}

// ---- the page as a whole

void PageTest::everyPageFunctionIsDefined_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"acceptFileBycpp",
                             "notifyWindowMSGByCpp",
                             "ReceiveJSMessageByCpp",
                             "processDataMsgByCpp",
                             "notifyPrinterCountByCpp",
                             "notifyPrinterChangeByCpp",
                             "notifyFinishResetAllByCpp",
                             "addPrinterConnectionAsyncCbk",
                             "queryShareEnvAsyncProgressCbkByCpp",
                             "queryShareEnvAsyncCbkByCpp",
                             "resetShareEnvProgressCbkByCpp",
                             "resetShareEnvResultCbkByCpp",
                             "notifySharePrinterByCpp2",
                             "notifySharePrinterByCpp",
                             "notifyShareProgressByCpp",
                             "notifyShareFinishByCpp",
                             "notifyOnlineProgressByCpp",
                             "notifyOnlineFinishByCpp",
                             "notifyOverCountNetDeviceByCpp",
                             "notifyNetworkPrinterByCpp",
                             "notifyUsbPrinterByCpp",
                             "notifyUsbPrinterByCpp2",
                             "scanCbkByCpp",
                             "enumPrinterCbkByCpp"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void PageTest::everyPageFunctionIsDefined() {
    QFETCH(QString, name);
    if (m_loadedMissing != QString())
        loadPage();
    QCOMPARE(probe(QStringLiteral("typeof window['%1']").arg(name)), QStringLiteral("function"));
}

void PageTest::screensLoad_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("heading");
    QTest::newRow("printers") << "printers"
                              << "Installed printers";
    QTest::newRow("find") << "find"
                          << "Find printers";
    QTest::newRow("repair") << "repair"
                            << "One-click repair";
    QTest::newRow("errors") << "errors"
                            << "Error code help";
    QTest::newRow("pc") << "pc"
                        << "This PC";
}

void PageTest::screensLoad() {
    QFETCH(QString, screen);
    QFETCH(QString, heading);
    loadPage();
    QCOMPARE(probe(QStringLiteral("__click('#nav-%1')").arg(screen)), QStringLiteral("clicked"));
    QCOMPARE(probe(QStringLiteral("__el('#screen-%1').hidden + ',' + "
                                  "document.querySelectorAll('.screen:not([hidden])').length")
                       .arg(screen)),
             QStringLiteral("false,1"));
    QCOMPARE(probe(QStringLiteral("__text('#screen-%1 h2')").arg(screen)), heading);
    QCOMPARE(probe(QStringLiteral("__el('#nav-%1').getAttribute('aria-selected')").arg(screen)),
             QStringLiteral("true"));
}

void PageTest::languageFollowsTheSystem_data() {
    QTest::addColumn<int>("languageId");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("navText");
    QTest::newRow("zh-CN") << kChinese << "zh-CN" << QStringLiteral("打印机");
    QTest::newRow("zh-TW") << 0x0404 << "zh-CN" << QStringLiteral("打印机");
    QTest::newRow("en-US") << kEnglish << "en"
                           << "Printers";
    QTest::newRow("de-DE") << 0x0407 << "en"
                           << "Printers";
}

void PageTest::languageFollowsTheSystem() {
    QFETCH(int, languageId);
    QFETCH(QString, language);
    QFETCH(QString, navText);
    loadPage();
    probe(QStringLiteral("localStorage.clear()"));
    m_answers.insert("getUserDefaultUILanguage", number(languageId));
    loadPage();
    QCOMPARE(probe(QStringLiteral("document.documentElement.lang")), language);
    QCOMPARE(probe(QStringLiteral("__text('#nav-printers')")), navText);
    probe(QStringLiteral("localStorage.clear()"));
}

void PageTest::languageSwitchesOnThePage() {
    loadPage();
    probe(QStringLiteral("localStorage.clear()"));
    loadPage();
    probe(QStringLiteral("__click('#nav-repair')"));
    QCOMPARE(probe(QStringLiteral("__click('#lang')")), QStringLiteral("clicked"));
    QCOMPARE(probe(QStringLiteral("__text('#nav-repair')")), QStringLiteral("修复"));
    // The screen and its data stay; the choice is kept for the next start.
    QCOMPARE(probe(QStringLiteral("__el('#screen-repair').hidden")), QStringLiteral("false"));
    QVERIFY(
        probe(QStringLiteral("__text('#printer-list')")).contains(QStringLiteral("前台标签机")));
    loadPage();
    QCOMPARE(probe(QStringLiteral("__text('#nav-repair')")), QStringLiteral("修复"));
    probe(QStringLiteral("__click('#lang')"));
    QCOMPARE(probe(QStringLiteral("__text('#nav-repair')")), QStringLiteral("Repair"));
    probe(QStringLiteral("localStorage.clear()"));
}

// Arrow keys move between the screens; Escape closes a confirmation without acting.
void PageTest::keyboardReachesScreensAndDialogs() {
    loadPage();
    auto key = [this](const char* selector, const char* name) {
        return probe(QStringLiteral("__el('%1').dispatchEvent(new KeyboardEvent('keydown', "
                                    "{key: '%2', bubbles: true, cancelable: true}))")
                         .arg(QString::fromLatin1(selector), QString::fromLatin1(name)));
    };
    probe(QStringLiteral("__el('#nav-printers').focus()"));
    key("#nav-printers", "ArrowDown");
    QCOMPARE(probe(QStringLiteral("__el('#screen-find').hidden + ':' + document.activeElement.id")),
             QStringLiteral("false:nav-find"));
    key("#nav-find", "ArrowUp");
    key("#nav-printers", "ArrowUp");
    QCOMPARE(probe(QStringLiteral("document.activeElement.id")), QStringLiteral("nav-pc"));
    probe(
        QStringLiteral("__click('#nav-printers');"
                       "__click('[data-printer=\"Office\"] [data-action=delete]')"));
    QCOMPARE(probe(QStringLiteral("document.activeElement.dataset.confirm")), QStringLiteral("no"));
    key("#confirm", "Escape");
    QCOMPARE(probe(QStringLiteral("!!document.getElementById('confirm')")),
             QStringLiteral("false"));
    QVERIFY(callsOf("deletePrinter").isEmpty());
}

void PageTest::titleBarDragsAndButtonsUseTheFramework() {
    loadPage();
    // The handle arrives after the load; the page then sets its drag area: the title bar up
    // to its buttons.
    QTRY_VERIFY_WITH_TIMEOUT(!callsOf("setDragRect").isEmpty(), kWaitMs);
    const JsValue drag = callsOf("setDragRect").last().args;
    QCOMPARE(drag.at(1).toInt(), kWindowHandle);
    QCOMPARE(drag.at(2).toInt(), 0);
    QCOMPARE(drag.at(3).toInt(), 0);
    const int buttonsLeft =
        probe(QStringLiteral("Math.floor(__el('#window-buttons').getBoundingClientRect().left)"))
            .toInt();
    QVERIFY(buttonsLeft > 300 && buttonsLeft < 800);
    QCOMPARE(drag.at(4).toInt(), buttonsLeft);
    QCOMPARE(drag.at(5).toInt(), 40);
}

// ---- actions: each calls its command with its arguments

void PageTest::actionsCallTheirCommand_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<JsValue>("answers");  // object: command -> answer, before the script
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<JsValue>("args");

    const JsValue none = JsValue::emptyObject();
    const JsValue office = array({text("Office"), text("")});
    const JsValue label = array({text(QStringLiteral("前台标签机")), text("")});
    // A click on the button `action` of the printer card whose name ends in `name`.
    auto inCard = [](const char* name, const char* action) {
        return QStringLiteral("__click('[data-printer$=\"%1\"] [data-action=%2]')")
            .arg(QString::fromUtf8(name), QString::fromLatin1(action));
    };

    QTest::newRow("refresh printers") << "__click('#printers-refresh')" << none
                                      << QByteArray("enumPrinters") << array({number(0)});
    QTest::newRow("test page") << inCard("Office", "testpage") << none
                               << QByteArray("printTestPage") << office;
    QTest::newRow("open queue") << inCard("Office", "queue") << none << QByteArray("viewPrintQueue")
                                << office;
    QTest::newRow("preferences") << inCard("Office", "preferences") << none
                                 << QByteArray("showPrintPreferencesPage") << office;
    QTest::newRow("properties") << inCard("Office", "properties") << none
                                << QByteArray("showPrinterPropertiesPage") << office;
    QTest::newRow("stop sharing") << inCard("Office", "share") << none << QByteArray("sharePrinter")
                                  << array({text("Office"), text(""), JsValue::boolean(false)});
    QTest::newRow("share") << inCard("前台标签机", "share") << none << QByteArray("sharePrinter")
                           << array({text(QStringLiteral("前台标签机")), text(""),
                                     JsValue::boolean(true)});
    QTest::newRow("make default") << inCard("前台标签机", "default") << none
                                  << QByteArray("setDefaultPrinter") << label;
    QTest::newRow("delete connection after confirming")
        << inCard("Colour", "delete") + QStringLiteral("; __click('[data-confirm=yes]')") << none
        << QByteArray("deletePrinter") << array({text("\\\\PC-B\\Colour"), text("\\\\PC-B")});
    QTest::newRow("add local printer")
        << "__click('#add-wizard-0')" << none << QByteArray("addPrinter")
        << array({number(kWindowHandle), number(0)});
    QTest::newRow("connect dialog")
        << "__click('#add-wizard-3')" << none << QByteArray("addPrinter")
        << array({number(kWindowHandle), number(3)});
    QTest::newRow("device manager") << "__click('#tool-1')" << none << QByteArray("openManager")
                                    << array({number(kWindowHandle), number(1)});
    QTest::newRow("connect shared printer")
        << "__type('#connect-host', ' \\\\\\\\PC-B '); __type('#connect-share', 'Colour');"
           "__click('#connect-button')"
        << none << QByteArray("addPrinterConnectionAsync") << array({text("PC-B"), text("Colour")});
    QTest::newRow("start scan") << "__click('#nav-find'); __click('#scan-start')" << none
                                << QByteArray("startScan") << array({number(1)});
    QTest::newRow("stop scan") << "__click('#scan-start'); __click('#scan-stop')" << none
                               << QByteArray("interrupt") << array({number(1)});
    QTest::newRow("show all USB devices")
        << "__click('#usb-all')" << none << QByteArray("setUSBServiceFilter")
        << array({JsValue::emptyArray()});
    QTest::newRow("shared printer scan")
        << "__click('#share-scan-start')" << none << QByteArray("startScan") << array({number(2)});
    QTest::newRow("stop shared printer scan")
        << "__click('#share-scan-start'); __click('#share-scan-stop')" << none
        << QByteArray("interrupt") << array({number(2)});
    QTest::newRow("ask one host") << "__type('#probe-host', 'PC-C'); __click('#probe-button')"
                                  << none << QByteArray("getHostSharePrinter")
                                  << array({text("PC-C")});
    QTest::newRow("log on")
        << "__el('#logon').open = true; __type('#logon-host', 'PC-C');"
           "__type('#logon-user', 'alice'); __type('#logon-password', 'secret');"
           "__click('#logon-button')"
        << none << QByteArray("netAddConnection")
        << array({text("PC-C"), text("alice"), text("secret")});
    QTest::newRow("log on reads the shares again")
        << "__el('#logon').open = true; __type('#logon-host', 'PC-C');"
           "__click('#logon-button')"
        << none << QByteArray("getHostSharePrinter") << array({text("PC-C")});
    QTest::newRow("disconnect") << "__type('#logon-host', 'PC-C'); __click('#logoff-button')"
                                << none << QByteArray("netCancelConnection")
                                << array({text("PC-C"), number(0), number(0)});
    QTest::newRow("connect a found share")
        << "notifySharePrinterByCpp('192.168.1.30', 'PC-B', 'WORKGROUP', ['Colour'], 0);"
           "__click('[data-share=Colour]')"
        << none << QByteArray("addPrinterConnectionAsync")
        << array({text("192.168.1.30"), text("Colour")});
    QTest::newRow("spooler state") << "__click('#nav-repair'); __click('#checks-run')" << none
                                   << QByteArray("checkPrinterSpool") << JsValue::emptyArray();
    QTest::newRow("stuck documents of each local queue")
        << "__click('#checks-run')" << none << QByteArray("checkPrinterQueue")
        << array({text("Office")});
    QTest::newRow("firewall sharing group")
        << "__click('#checks-run')" << none << QByteArray("checkFirewall") << array({number(1)});
    QTest::newRow("firewall discovery group")
        << "__click('#checks-run')" << none << QByteArray("checkFirewall") << array({number(0)});
    QTest::newRow("restart spooler") << "__click('[data-action=repair-spooler]')" << none
                                     << QByteArray("restartPrinterSpool") << JsValue::emptyArray();
    QTest::newRow("remove stuck documents after confirming")
        << "__click('[data-action=repair-jobs]'); __click('[data-confirm=yes]')" << none
        << QByteArray("cleanPrinterQueue") << array({number(0)});
    QTest::newRow("open firewall") << "__click('[data-action=repair-fw-sharing]')" << none
                                   << QByteArray("enableFirewall") << JsValue::emptyArray();
    QTest::newRow("install font") << "__click('[data-action=repair-ocr]')" << none
                                  << QByteArray("installOcrFont") << JsValue::emptyArray();
    QTest::newRow("one-click repair")
        << "__click('#oneclick-run')" << none << QByteArray("resetSpool_firewall_queue")
        << JsValue::emptyArray();
    QTest::newRow("check sharing") << "__click('#sharing-check')" << none
                                   << QByteArray("queryShareEnvAsync") << array({number(0)});
    QTest::newRow("stop the sharing check")
        << "__click('#sharing-check'); __click('#sharing-stop')" << none
        << QByteArray("endQueryShareEnv") << array({number(0)});
    QTest::newRow("repair sharing after confirming")
        << "__click('#sharing-repair'); __click('[data-confirm=yes]')" << none
        << QByteArray("resetShareEnvAsync") << JsValue::emptyArray();
    QTest::newRow("stop the sharing repair")
        << "__click('#sharing-repair'); __click('[data-confirm=yes]'); __click('#sharing-stop')"
        << none << QByteArray("endResetShareEnv") << JsValue::emptyArray();
    QTest::newRow("restart after the repair")
        << "__click('#sharing-repair'); __click('[data-confirm=yes]'); __click('#restart-now');"
           "__click('[data-confirm=yes]')"
        << JsValue::objectOf({{"resetShareEnvAsync", JsValue::boolean(true)}})
        << QByteArray("restartComputer") << array({number(2), number(0)});
    QTest::newRow("read PC details") << "__click('#nav-pc'); __click('#pc-read')" << none
                                     << QByteArray("startGetPcinfo") << JsValue::emptyArray();
    QTest::newRow("open download folder") << "__click('#folder-open')" << none << QByteArray("exec")
                                          << array({text(kDownloads), number(0)});
    QTest::newRow("pick download folder")
        << "__click('#folder-change')" << JsValue::objectOf({{"selectDir", text("/data/drivers")}})
        << QByteArray("selectDir") << array({number(kWindowHandle)});
    QTest::newRow("store download folder")
        << "__click('#folder-change')" << JsValue::objectOf({{"selectDir", text("D:\\Drivers")}})
        << QByteArray("downDir") << array({text("D:/Drivers")});
    QTest::newRow("list packages") << "__click('#nav-errors'); __click('#nav-pc')" << none
                                   << QByteArray("listDir") << array({text(kDownloads), text("*")});
    QTest::newRow("install package from the folder")
        << "__click('[data-package=\"setup.exe\"] [data-action=install]')" << none
        << QByteArray("installDriverPackage")
        << array({text("setup.exe"), text(kDownloads + QStringLiteral("/setup.exe"))});
    QTest::newRow("install chosen package")
        << "__click('#package-choose')"
        << JsValue::objectOf({{"selectMultiFiles", text("/tmp/x/driver.zip|/tmp/y/setup.exe")}})
        << QByteArray("installDriverPackage")
        << array({text("driver.zip"), text("/tmp/x/driver.zip")});
    QTest::newRow("minimise") << "__click('#minimise')" << none << QByteArray("closeWindow")
                              << array({number(kWindowHandle)});
    QTest::newRow("close: the system close command")
        << "__click('#close')" << none << QByteArray("sendMessage")
        << array({number(kWindowHandle), number(0x0112), number(0xF060), number(0)});
}

void PageTest::actionsCallTheirCommand() {
    QFETCH(QString, script);
    QFETCH(JsValue, answers);
    QFETCH(QByteArray, command);
    QFETCH(JsValue, args);
    loadPage();
    for (const QByteArray& key : answers.keys())
        m_answers.insert(key, answers.get(key));
    m_calls.clear();
    const QString outcome = probe(script);
    QVERIFY2(!outcome.startsWith(QLatin1String("throw")), qPrintable(outcome));
    QStringList seen;
    for (const Call& call : callsOf(command)) {
        if (call.args.toWire() == args.toWire())
            return;
        seen << QString::fromUtf8(call.args.toWire());
    }
    QFAIL(qPrintable(QStringLiteral("%1 not called with %2; calls: %3")
                         .arg(QString::fromLatin1(command), QString::fromUtf8(args.toWire()),
                              seen.join(QLatin1String("; ")))));
}

// ---- page functions: each updates its screen

void PageTest::pageFunctionsUpdateTheScreen_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<JsValue>("args");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("expected");  // contained in the probe's text

    QTest::newRow("printer list") << "" << QByteArray("enumPrinterCbkByCpp") << array({text("[]")})
                                  << "__text('#printer-list')"
                                  << "\\\\PC-B\\Colour";
    QTest::newRow("printer count")
        << "" << QByteArray("notifyPrinterCountByCpp") << array({number(7)}) << "__text('#pc-info')"
        << "Printers7";
    QTest::newRow("connection made")
        << "__type('#connect-host', 'PC-B'); __type('#connect-share', 'Colour');"
           "__click('#connect-button')"
        << QByteArray("addPrinterConnectionAsyncCbk") << array({number(0)})
        << "__text('#connect-message')"
        << "Connected to \\\\PC-B\\Colour.";
    QTest::newRow("connection refused in words")
        << "__type('#connect-host', 'PC-B'); __type('#connect-share', 'Colour');"
           "__click('#connect-button')"
        << QByteArray("addPrinterConnectionAsyncCbk") << array({number(5)})
        << "__text('#connect-message')"
        << "Access is denied.";
    QTest::newRow("scan progress")
        << "__click('#scan-start')" << QByteArray("notifyOnlineProgressByCpp")
        << array({number(50), number(100), number(0), number(10), number(20)})
        << "__el('#scan-controls [role=progressbar]')"
           ".getAttribute('aria-valuenow') + ':' + __text('#scan-controls')"
        << "Searching… 50%  10 of 20 addresses checked";
    QTest::newRow("scan ends") << "__click('#scan-start')" << QByteArray("notifyOnlineFinishByCpp")
                               << array({number(0)})
                               << "__text('#scan-message') + __el('#scan-start').disabled"
                               << "Search finished. USB printers: 0, USB devices: 0, network "
                                  "printers: 0.false";
    QTest::newRow("scan stopped") << "__click('#scan-start')"
                                  << QByteArray("notifyOnlineFinishByCpp") << array({number(1)})
                                  << "__text('#scan-message')"
                                  << "The search was stopped.";
    QTest::newRow("USB printer without driver")
        << "" << QByteArray("notifyUsbPrinterByCpp")
        << array({text(R"({"compatibleids":[],"deviceDesc":"Photo 200","friendlyName":"",)"
                       R"("hardwareids":["USB\\VID_04A9&PID_1234"],"mfg":"","searchMethod":3})")})
        << "__text('#usb-printers')"
        << "Photo 200no driver installed";
    QTest::newRow("USB printer with driver")
        << "" << QByteArray("notifyUsbPrinterByCpp")
        << array({text(R"({"compatibleids":[],"deviceDesc":"x","friendlyName":"Laser 5",)"
                       R"("hardwareids":["USBPRINT\\Laser5"],"mfg":"Maker","searchMethod":0})")})
        << "__text('#usb-printers')"
        << "Laser 5driver installed";
    QTest::newRow("USB device")
        << "" << QByteArray("notifyUsbPrinterByCpp2")
        << array({array({JsValue::objectOf({{"Name", text("Scanner Hub")},
                                            {"Manu", text("Maker")},
                                            {"Service", text("")},
                                            {"Instanceid", text("USB\\VID_1&PID_2\\3")}})})})
        << "__text('#usb-devices')"
        << "Scanner Hubno driver installed";
    QTest::newRow("network printer already installed")
        << "" << QByteArray("notifyNetworkPrinterByCpp")
        << array({text("192.168.1.20"), text("Maker"), text("Jet 8600")})
        << "__text('[data-ip=\"192.168.1.20\"]')"
        << "Maker Jet 8600installed";
    QTest::newRow("network printer to add")
        << "" << QByteArray("notifyNetworkPrinterByCpp")
        << array({text("192.168.1.44"), text("Fabrik"), text("Laser 2270")})
        << "__text('[data-ip=\"192.168.1.44\"]')"
        << "not installed";
    QTest::newRow("too many devices")
        << "" << QByteArray("notifyOverCountNetDeviceByCpp")
        << array({number(70000), number(0x0000A8C0), number(0x0000FFFF)})
        << "__text('#scan-message')"
        << "192.168.0.0/255.255.0.0";
    QTest::newRow("shared printer scan progress")
        << "__click('#share-scan-start')" << QByteArray("notifyShareProgressByCpp")
        << array({number(30), number(100), number(0), number(3), number(10)})
        << "__el('#share-scan-controls [role=progressbar]').getAttribute('aria-valuenow')"
        << "30";
    QTest::newRow("shared printer scan ends")
        << "__click('#share-scan-start')" << QByteArray("notifyShareFinishByCpp")
        << array({number(0)}) << "__text('#share-message')"
        << "Search finished. PCs found: 0.";
    QTest::newRow("host sharing printers")
        << "" << QByteArray("notifySharePrinterByCpp")
        << array({text("192.168.1.30"), text("PC-B"), text("WORKGROUP"),
                  array({text("Colour"), text("财务部打印机")}), number(0)})
        << "__text('#share-hosts')" << QStringLiteral("shared printers: 2");
    QTest::newRow("asked host needs a log-on")
        << "__type('#probe-host', 'PC-C'); __click('#probe-button')"
        << QByteArray("notifySharePrinterByCpp2")
        << array({text("192.168.1.31"), text("PC-C"), text(""), array({}), number(1)})
        << "__text('#share-hosts') + !!document.querySelector('[data-action=logon]')"
        << "needs a user name and passwordLog ontrue";
    QTest::newRow("asked host not found")
        << "__type('#probe-host', 'nosuchpc'); __click('#probe-button')"
        << QByteArray("notifySharePrinterByCpp2")
        << array({text(""), text(""), text(""), array({}), number(4)}) << "__text('#share-hosts')"
        << "nosuchpcthis PC was not found";
    QTest::newRow("sharing check progress") << "__click('#nav-repair'); __click('#sharing-check')"
                                            << QByteArray("queryShareEnvAsyncProgressCbkByCpp")
                                            << array({number(3), number(11), number(3)})
                                            << "__el('[data-item=\"2\"]').dataset.state + ':' + "
                                               "__text('#share-controls .progress-block')"
                                            << "good:Checking item 3 of 11";
    QTest::newRow("sharing check result")
        << "" << QByteArray("queryShareEnvAsyncCbkByCpp")
        << array({array({number(1), number(1), number(3), number(13), number(1), number(0),
                         number(1), number(1), number(1), number(0), number(0)})})
        << "__text('#sharing-message') + ':' + __el('[data-item=\"3\"]').dataset.state + ':' + "
           "__text('[data-item=\"8\"]').indexOf('Network Discovery is blocked')"
        << "Checked: 8 OK, 3 with a problem.:bad:";
    QTest::newRow("sharing repair progress")
        << "__click('#sharing-repair'); __click('[data-confirm=yes]')"
        << QByteArray("resetShareEnvProgressCbkByCpp") << array({number(4), number(11)})
        << "__text('#share-controls')"
        << "Repairing item 4 of 11";
    QTest::newRow("sharing repaired, checked again")
        << "__click('#sharing-repair'); __click('[data-confirm=yes]')"
        << QByteArray("resetShareEnvResultCbkByCpp") << JsValue::emptyArray()
        << "__text('#share-controls')"
        << "Checking item 0 of 11";
    QTest::newRow("one-click repair ends")
        << "__click('#oneclick-run')" << QByteArray("notifyFinishResetAllByCpp")
        << JsValue::emptyArray() << "__text('#oneclick')"
        << "The one-click repair has finished.";
    QTest::newRow("PC details") << "" << QByteArray("scanCbkByCpp")
                                << array({JsValue::string(fixture("pcinfo.json"))})
                                << "__text('#pc-info')"
                                << "System type64-bit";
    QTest::newRow("dropped file") << "" << QByteArray("acceptFileBycpp")
                                  << array({text("/tmp/a b/driver.cab")})
                                  << "__el('#screen-pc').hidden + ':' + __text('#packages')"
                                  << "false:driver.cab/tmp/a b/driver.cabInstall";
    QTest::newRow("closing child window answered")
        << "" << QByteArray("notifyWindowMSGByCpp") << array({number(99), number(1)})
        << "notifyWindowMSGByCpp(99, 1)"
        << "true";
}

void PageTest::pageFunctionsUpdateTheScreen() {
    QFETCH(QString, setup);
    QFETCH(QByteArray, function);
    QFETCH(JsValue, args);
    QFETCH(QString, probe);
    QFETCH(QString, expected);
    loadPage();
    if (!setup.isEmpty()) {
        const QString outcome = this->probe(setup);
        QVERIFY2(!outcome.startsWith(QLatin1String("throw")), qPrintable(outcome));
    }
    QList<JsValue> list;
    for (int i = 0; i < args.length(); ++i)
        list << args.at(i);
    m_view->callGlobal(function, list);
    const QString seen = this->probe(probe);
    QVERIFY2(seen.contains(expected),
             qPrintable(QStringLiteral("expected \"%1\" in \"%2\"").arg(expected, seen)));
}

// The monitor's records change the list at once; added and removed queues are read again.
void PageTest::printerChangesAreShownLive() {
    loadPage();
    auto change = [](int changed, const QList<JsValue>& fields, const char* name, int status,
                     int jobs, const char* newName) {
        return JsValue::objectOf({{"dwChanged", number(changed)},
                                  {"dwNotifyField", array(fields)},
                                  {"printerName", text(QString::fromUtf8(name))},
                                  {"printerServer", text("")},
                                  {"newPrinterName", text(QString::fromUtf8(newName))},
                                  {"dwAttribute", number(8)},
                                  {"dwPrinterStatus", number(status)},
                                  {"dwJobStatus", number(0)},
                                  {"dwCjobs", number(jobs)}});
    };
    m_view->callGlobal("notifyPrinterChangeByCpp",
                       {change(2, {number(18), number(20)}, "Office", 1, 5, "")});
    QString card = probe(QStringLiteral("__text('[data-printer=\"Office\"]')"));
    QVERIFY2(
        card.contains(QStringLiteral("Paused")) && card.contains(QStringLiteral("5 documents")),
        qPrintable(card));
    m_view->callGlobal("notifyPrinterChangeByCpp",
                       {change(2, {number(1)}, "Office", 1, 5, "Front")});
    QCOMPARE(probe(QStringLiteral("!!document.querySelector('[data-printer=\"Front\"]') + ',' + "
                                  "!!document.querySelector('[data-printer=\"Office\"]')")),
             QStringLiteral("true,false"));
    m_calls.clear();
    m_view->callGlobal("notifyPrinterChangeByCpp", {change(1, {}, "New queue", 0, 0, "")});
    QTRY_VERIFY_WITH_TIMEOUT(!callsOf("enumPrinters").isEmpty(), kWaitMs);
    QCOMPARE(callsOf("enumPrinters").first().args.toWire(), array({number(0)}).toWire());
}

// ---- error code help

void PageTest::errorCodesAreExplained_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("answer");  // the code the answer is about
    QTest::addColumn<QString>("go");      // where its button leads
    QTest::newRow("0x0000011b") << "0x0000011b"
                                << "0x0000011b"
                                << "sharing";
    QTest::newRow("upper case, short") << "0x11B"
                                       << "0x0000011b"
                                       << "sharing";
    QTest::newRow("0x00000709") << "0x00000709"
                                << "0x00000709"
                                << "sharing";
    QTest::newRow("709 without 0x") << "709"
                                    << "0x00000709"
                                    << "sharing";
    QTest::newRow("0x00000bcb") << " 0x00000bcb "
                                << "0x00000bcb"
                                << "pc";
    QTest::newRow("decimal 1722") << "1722"
                                  << "0x000006ba"
                                  << "repair";
    QTest::newRow("HRESULT") << "80070035"
                             << "0x80070035"
                             << "sharing";
    QTest::newRow("unknown code") << "0x1234"
                                  << ""
                                  << "repair";
    QTest::newRow("not a code") << "printer broken"
                                << ""
                                << "";
}

void PageTest::errorCodesAreExplained() {
    QFETCH(QString, typed);
    QFETCH(QString, answer);
    QFETCH(QString, go);
    loadPage();
    probe(QStringLiteral("__click('#nav-errors'); __type('#error-code', %1); "
                         "__click('#error-lookup')")
              .arg(QString::fromUtf8(JsValue::string(typed).toWire())));
    QCOMPARE(probe(QStringLiteral("(document.querySelector('[data-answer]') || {dataset: {}})"
                                  ".dataset.answer || ''")),
             answer);
    QCOMPARE(probe(QStringLiteral("(document.querySelector('#error-answer [data-go]') || "
                                  "{dataset: {}}).dataset.go || ''")),
             go);
    if (answer.isEmpty() && go.isEmpty())
        QVERIFY(probe(QStringLiteral("__text('#error-answer')"))
                    .contains(QStringLiteral("hexadecimal")));
    if (!go.isEmpty()) {
        probe(QStringLiteral("__click('#error-answer [data-go]')"));
        const QString screen = go == QLatin1String("sharing") ? QStringLiteral("repair") : go;
        QCOMPARE(probe(QStringLiteral("__el('#screen-%1').hidden").arg(screen)),
                 QStringLiteral("false"));
    }
}

// Right after a restart the spooler may still be starting: the check says so, without calling
// it a problem, and asks again until the spooler has settled.
void PageTest::aSpoolerOnItsWayIsAskedAgain() {
    m_answers.insert("checkPrinterSpool", number(2));
    loadPage();
    probe(QStringLiteral("__click('#nav-repair')"));
    const QString spooler = QStringLiteral("__text('[data-check=spooler]')");
    QVERIFY2(probe(spooler).contains(QStringLiteral("please wait")), qPrintable(probe(spooler)));
    QVERIFY(!probe(spooler).contains(QStringLiteral("Problem")));
    m_answers.insert("checkPrinterSpool", number(4));
    QVERIFY(
        QTest::qWaitFor([&] { return probe(spooler).contains(QStringLiteral("running")); }, 5000));
    QVERIFY(probe(spooler).contains(QStringLiteral("OK")));
}

// ---- an older program: commands that are missing or fail

void PageTest::missingCommandBecomesAMessage_data() {
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("where");

    QTest::newRow("printer list") << "enumPrinters"
                                  << ""
                                  << "#printers-message";
    QTest::newRow("test page") << "printTestPage"
                               << "__el('[data-printer] [data-action=testpage]').click()"
                               << "#printers-message";
    QTest::newRow("connect") << "addPrinterConnectionAsync,addPrinterConnection"
                             << "__type('#connect-host', 'PC-B'); __type('#connect-share', 'C');"
                                "__click('#connect-button')"
                             << "#connect-message";
    QTest::newRow("scan") << "startScan"
                          << "__click('#nav-find'); __click('#scan-start')"
                          << "#scan-message";
    QTest::newRow("host probe") << "getHostSharePrinter"
                                << "__type('#probe-host', 'PC-C'); __click('#probe-button')"
                                << "#share-message";
    QTest::newRow("log on") << "netAddConnection"
                            << "__type('#logon-host', 'PC-C'); __click('#logon-button')"
                            << "#logon-message";
    QTest::newRow("spooler check") << "checkPrinterSpool"
                                   << "__click('#nav-repair')"
                                   << "[data-check=spooler]";
    QTest::newRow("one-click repair") << "resetSpool_firewall_queue"
                                      << "__click('#oneclick-run')"
                                      << "#repair-message";
    QTest::newRow("sharing check") << "queryShareEnvAsync,queryShareEnv"
                                   << "__click('#sharing-check')"
                                   << "#sharing-message";
    QTest::newRow("sharing repair") << "resetShareEnvAsync"
                                    << "__click('#sharing-repair'); __click('[data-confirm=yes]')"
                                    << "#sharing-message";
    QTest::newRow("PC details") << "startGetPcinfo"
                                << ""
                                << "#pc-info";
    QTest::newRow("driver package") << "installDriverPackage"
                                    << "__click('[data-action=install]')"
                                    << "#pc-message";
}

void PageTest::missingCommandBecomesAMessage() {
    QFETCH(QString, missing);
    QFETCH(QString, script);
    QFETCH(QString, where);
    loadPage(missing);
    if (!script.isEmpty())
        QVERIFY2(!probe(script).startsWith(QLatin1String("throw")), qPrintable(script));
    const QString shown = probe(QStringLiteral("__text('%1')").arg(where));
    const QString first = missing.section(QLatin1Char(','), 0, 0);
    QVERIFY2(shown.contains(QStringLiteral("does not offer")) && shown.contains(first),
             qPrintable(shown));
}

// With no command at all, every screen still opens and every button answers with a message.
void PageTest::olderProgramKeepsEveryScreenWorking() {
    loadPage(QStringLiteral("all"));
    QVERIFY(probe(QStringLiteral("__text('#printers-message')"))
                .contains(QStringLiteral("does not offer")));
    for (const char* screen : {"printers", "find", "repair", "errors", "pc"}) {
        probe(QStringLiteral("__click('#nav-%1')").arg(QString::fromLatin1(screen)));
        const QString clicked = probe(
            QStringLiteral(
                "(function () { var n = 0;"
                "  document.querySelectorAll('#screen-%1 button').forEach(function (b) {"
                "    if (!document.body.contains(b) || b.disabled) return;"
                "    b.click(); n++;"
                "    var yes = document.querySelector('[data-confirm=yes]'); if (yes) yes.click();"
                "  });"
                "  return n; })()")
                .arg(QString::fromLatin1(screen)));
        QVERIFY2(clicked.toInt() > 0, qPrintable(clicked));
        QCOMPARE(
            probe(QStringLiteral("__el('#screen-%1').hidden").arg(QString::fromLatin1(screen))),
            QStringLiteral("false"));
    }
    // A command that throws is reported like a missing one.
    probe(
        QStringLiteral("Object.defineProperty(window, 'checkOcrFont', {configurable: true,"
                       "  value: function () { throw new Error('font check broke'); }});"
                       "__click('#nav-repair'); __click('#checks-run')"));
    QVERIFY(probe(QStringLiteral("__text('[data-check=ocr]')"))
                .contains(QStringLiteral("font check broke")));
    QVERIFY(m_calls.isEmpty() || std::all_of(m_calls.begin(), m_calls.end(), [](const Call& c) {
                return kFrameworkFunctions.contains(c.name);
            }));
}

// ---- pictures of the screens

// Renders each screen with sample results in both languages. With CORVANTA_SCREENS_DIR set
// the pictures are kept there as <screen>-<language>.png.
void PageTest::rendersEachScreen() {
    const QString folder = qEnvironmentVariable("CORVANTA_SCREENS_DIR");
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    m_answers.insert("checkPrinterQueue", number(2));
    for (const char* language : {"zh", "en"}) {
        loadPage();
        probe(QStringLiteral("App.setLanguage('%1')").arg(QString::fromLatin1(language)));
        feedSampleResults();
        // "sharing" is the repair screen scrolled to the sharing conditions.
        for (const char* screen : {"printers", "find", "repair", "sharing", "errors", "pc"}) {
            const bool sharing = QByteArray(screen) == "sharing";
            probe(QStringLiteral("__click('#nav-%1')")
                      .arg(sharing ? QStringLiteral("repair") : QString::fromLatin1(screen)));
            if (sharing)
                probe(QStringLiteral("__el('#sharing').scrollIntoView()"));
            if (QByteArray(screen) == "errors")
                probe(QStringLiteral(
                    "__type('#error-code', '0x0000011b'); __click('#error-lookup')"));
            if (QByteArray(screen) == "repair")
                probe(QStringLiteral("document.getElementById('content').scrollTop = 0"));
            QTest::qWait(300);  // let the engine paint
            const QImage image = m_window->grab().toImage();
            QCOMPARE(image.size(), QSize(800, 600));
            // A rendered page has many colours; a blank view has one.
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); y += 7)
                for (int x = 0; x < image.width(); x += 7)
                    colours.insert(image.pixel(x, y));
            QVERIFY2(colours.size() > 20, screen);
            if (!folder.isEmpty()) {
                QVERIFY(image.save(
                    QStringLiteral("%1/%2-%3.png")
                        .arg(folder, QString::fromLatin1(screen), QString::fromLatin1(language))));
            }
        }
    }
    probe(QStringLiteral("localStorage.clear()"));
}

void PageTest::requestsStayOnTheServedHost() {
    QCOMPARE(m_interceptor->foreign, QStringList());
}

namespace {
const bool registered = registerTest<PageTest>("PageTest");
}  // namespace
