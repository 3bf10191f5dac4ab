#include "BridgeTest.h"

#include "TestMain.h"

#include <QFile>
#include <QTest>
#include <QWidget>

#include "TestProgramFolder.h"
#include "WebView.h"
#include "engine/LocalPageServer.h"

using webhost::JsCall;
using webhost::JsValue;
using webhost::WebEngine;

namespace {

constexpr const char* kHost = "http://corvanta.test";
constexpr const char* kPageUrl = "http://corvanta.test/index.html";
constexpr int kWaitMs = 20000;

const QByteArray kTestPage = R"(<!doctype html>
<html><head><meta charset="utf-8"><title>bridge test</title>
<script>
var seen = [];
function push(x) { seen.push(x); }
function seenText() { return seen.join(','); }
function bothMatch(a, b) { return a === 1 && b === '提示'; }
function makeRecord() { return {zeta: 1, alpha: [true, undefined]}; }
function pageFlag() { return true; }
function syncXhr(path) {
  var request = new XMLHttpRequest();
  request.open('GET', path, false);
  request.send();
  return request.status + ':' + request.responseText;
}
function probe(url) {
  fetch(url, {mode: 'no-cors'}).then(function() { report('reached'); },
                                     function() { report('failed'); });
}
function startFetch(path) {
  fetch(path).then(function(r) { return r.text(); }).then(function(t) { report('fetched:' + t); });
}
</script></head>
<body><a id="exec" href="exec://C:/Tools/Run.EXE%20a.txt">run</a>
<a id="file" href="file:///tmp/a%20b.txt">file</a></body></html>
)";

// A name the system would resolve to a loopback address from its hosts file alone (no DNS
// query), other than the loopback names the engine answers itself; empty when there is none.
QString hostsFileLoopbackName() {
    QFile hosts(QStringLiteral("/etc/hosts"));
    if (!hosts.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& line : hosts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields[0].startsWith("127."))
            continue;
        for (int i = 1; i < fields.size() && !fields[i].startsWith('#'); ++i) {
            const QString name = QString::fromLatin1(fields[i]).toLower();
            if (name != QLatin1String("localhost") && !name.endsWith(QLatin1String(".localhost")))
                return name;
        }
    }
    return QString();
}

JsValue text(const char* utf8) {
    return JsValue::string(QByteArray(utf8));
}

}  // namespace

BridgeTest::BridgeTest() = default;
BridgeTest::~BridgeTest() = default;

void BridgeTest::initTestCase() {
    m_folder = std::make_unique<TestProgramFolder>();
    m_folder->addFile(QStringLiteral("html/index.html"), kTestPage);
    m_folder->addFile(QStringLiteral("html/data.txt"), "served");
    QString error;
    QVERIFY2(WebEngine::load(m_folder->path(), kHost, &error), qPrintable(error));
    m_window = std::make_unique<QWidget>();
    m_window->resize(400, 300);
    m_view = WebEngine::createView(m_window.get(), 0, 0, 400, 300);
    QVERIFY(m_view);
    m_window->show();

    webhost::ViewEvents events;
    events.loadingFinished = [this] { m_loaded = true; };
    events.navigation = [this](const QString& url) {
        m_navigations.append(url);
        return !url.startsWith(QLatin1String("exec://")) &&
               !url.startsWith(QLatin1String("file://"));
    };
    m_view->setEvents(events);
    bindTestFunctions();
    loadTestPage();
}

void BridgeTest::init() {
    m_reports.clear();
    m_navigations.clear();
    m_recordedArgs = JsValue();
}

void BridgeTest::cleanupTestCase() {
    m_view.reset();
    m_window.reset();
}

void BridgeTest::bindTestFunctions() {
    m_view->bindFunction(
        "record",
        [this](const JsCall& call, void*) {
            m_recordedArgs = JsValue::emptyArray();
            for (int i = 0; i < call.argCount(); ++i) {
                m_recordedArgs.append(call.arg(i));
            }
            return JsValue();
        },
        nullptr, 0);
    m_view->bindFunction(
        "answer", [this](const JsCall&, void*) { return m_answer; }, nullptr, 0);
    m_view->bindFunction(
        "report",
        [this](const JsCall& call, void*) {
            m_reports.append(call.textArg(0));
            return JsValue();
        },
        nullptr, 1);
    m_view->bindFunction(
        "nested", [this](const JsCall&, void*) { return m_view->callGlobal("pageFlag", {}); },
        nullptr, 0);
}

void BridgeTest::loadTestPage() {
    m_loaded = false;
    m_view->loadUrl(kPageUrl);
    QTRY_VERIFY_WITH_TIMEOUT(m_loaded, kWaitMs);
    QCOMPARE(m_view->title(), QStringLiteral("bridge test"));
}

QString BridgeTest::runAndAwaitReport(const QString& script) {
    m_reports.clear();
    m_view->runScript(script);
    if (!QTest::qWaitFor([this] { return !m_reports.isEmpty(); }, kWaitMs)) {
        return QStringLiteral("<no report>");
    }
    return m_reports.value(0, QStringLiteral("<no report>"));
}

void BridgeTest::pageArgumentsReachNative_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<JsValue>("expected");

    QTest::newRow("no arguments") << "record()" << JsValue::emptyArray();
    QTest::newRow("scalars") << "record(1, -2.5, true, null, undefined)"
                             << JsValue::arrayOf({JsValue::integer(1), JsValue::number(-2.5),
                                                  JsValue::boolean(true), JsValue::null(),
                                                  JsValue()});
    QTest::newRow("non-ASCII text")
        << "record('提示', '')"
        << JsValue::arrayOf({JsValue::string(QStringLiteral("提示")), text("")});
    QTest::newRow("array with undefined")
        << "record([1, undefined, 'a'])"
        << JsValue::arrayOf({JsValue::arrayOf({JsValue::integer(1), JsValue(), text("a")})});
    QTest::newRow("object in page order")
        << "record({z: 1, a: {u: undefined}})"
        << JsValue::arrayOf({JsValue::objectOf(
               {{"z", JsValue::integer(1)}, {"a", JsValue::objectOf({{"u", JsValue()}})}})});
    QTest::newRow("function reads as undefined")
        << "record(function() {})" << JsValue::arrayOf({JsValue()});
}

void BridgeTest::pageArgumentsReachNative() {
    QFETCH(QString, script);
    QFETCH(JsValue, expected);
    m_view->runScript(script);
    QTRY_VERIFY_WITH_TIMEOUT(m_recordedArgs.isArray(), kWaitMs);
    QCOMPARE(m_recordedArgs.toWire(), expected.toWire());
    const JsCall call(QList<JsValue>{m_recordedArgs.at(0)});
    QCOMPARE(call.intArg(1), 0);
    QCOMPARE(call.boolArg(1), false);
    QCOMPARE(call.textArg(1), QString());
}

void BridgeTest::nativeResultsReachPage_data() {
    QTest::addColumn<JsValue>("result");
    QTest::addColumn<QString>("probe");  // an expression over r, the page's view of the result
    QTest::addColumn<QString>("expected");

    QTest::newRow("integer") << JsValue::integer(42) << "typeof r + ':' + r"
                             << "number:42";
    QTest::newRow("boolean") << JsValue::boolean(true) << "typeof r + ':' + r"
                             << "boolean:true";
    QTest::newRow("undefined") << JsValue() << "typeof r"
                               << "undefined";
    QTest::newRow("null") << JsValue::null() << "String(r === null)"
                          << "true";
    QTest::newRow("text") << JsValue::string(QStringLiteral("提示")) << "typeof r + ':' + r"
                          << QStringLiteral("string:提示");
    QTest::newRow("array with undefined")
        << JsValue::arrayOf({JsValue::integer(1), text("a"), JsValue()})
        << "Array.isArray(r) + ':' + r.length + ':' + (r[2] === undefined)"
        << "true:3:true";
    QTest::newRow("object in native order")
        << JsValue::objectOf(
               {{"zeta", JsValue::integer(1)}, {"alpha", JsValue::objectOf({{"u", JsValue()}})}})
        << "Object.keys(r).join(',') + ':' + (r.alpha.u === undefined)"
        << "zeta,alpha:true";
}

void BridgeTest::nativeResultsReachPage() {
    QFETCH(JsValue, result);
    QFETCH(QString, probe);
    QFETCH(QString, expected);
    m_answer = result;
    QCOMPARE(runAndAwaitReport(
                 QStringLiteral("report((function(r){ return %1; })(answer()))").arg(probe)),
             expected);
}

void BridgeTest::callGlobalAnswersPageResult_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<JsValue>("args");
    QTest::addColumn<JsValue>("expected");

    QTest::newRow("true") << QByteArray("bothMatch")
                          << JsValue::arrayOf(
                                 {JsValue::integer(1), JsValue::string(QStringLiteral("提示"))})
                          << JsValue::boolean(true);
    QTest::newRow("false, argument missing")
        << QByteArray("bothMatch") << JsValue::arrayOf({JsValue::integer(1)})
        << JsValue::boolean(false);
    QTest::newRow("missing function")
        << QByteArray("noSuchFunction") << JsValue::emptyArray() << JsValue();
    QTest::newRow("not a function") << QByteArray("seen") << JsValue::emptyArray() << JsValue();
    QTest::newRow("object")
        << QByteArray("makeRecord") << JsValue::emptyArray()
        << JsValue::objectOf({{"zeta", JsValue::integer(1)},
                              {"alpha", JsValue::arrayOf({JsValue::boolean(true), JsValue()})}});
}

void BridgeTest::callGlobalAnswersPageResult() {
    QFETCH(QByteArray, name);
    QFETCH(JsValue, args);
    QFETCH(JsValue, expected);
    QList<JsValue> list;
    for (int i = 0; i < args.length(); ++i) {
        list.append(args.at(i));
    }
    QCOMPARE(m_view->callGlobal(name, list).toWire(), expected.toWire());
}

// The page waits in nested() while native code calls back into the same page: the page cannot
// run anything until nested() returns, so the call must not be awaited (it would never end).
void BridgeTest::callGlobalDuringPageCallDoesNotHang() {
    QCOMPARE(runAndAwaitReport(QStringLiteral("report(typeof nested())")),
             QStringLiteral("undefined"));
    QCOMPARE(m_view->callGlobal("pageFlag", {}), JsValue::boolean(true));
}

void BridgeTest::postedCallsKeepTheirOrder() {
    m_view->runScript(QStringLiteral("seen = [];"));
    for (int i = 1; i <= 5; ++i) {
        m_view->postGlobal("push", {JsValue::integer(i)});
    }
    QCOMPARE(m_view->callGlobal("seenText", {}), text("1,2,3,4,5"));
}

void BridgeTest::bindingAfterLoadReachesCurrentPage() {
    m_view->bindFunction(
        "late", [](const JsCall&, void*) { return text("late answer"); }, nullptr, 0);
    QCOMPARE(runAndAwaitReport(QStringLiteral("report(typeof late + ':' + late())")),
             QStringLiteral("function:late answer"));
}

void BridgeTest::pageLoadsFromServerWithXhrAndFetch() {
    QCOMPARE(m_view->url(), QString::fromLatin1(kPageUrl));
    QCOMPARE(m_view->callGlobal("syncXhr", {text("/data.txt")}), text("200:served"));
    QCOMPARE(m_view->callGlobal("syncXhr", {text("/missing.txt")}), text("404:"));
    QCOMPARE(runAndAwaitReport(QStringLiteral("startFetch('data.txt')")),
             QStringLiteral("fetched:served"));
}

void BridgeTest::onlyLoopbackNamesResolve_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("loopback address") << "127.0.0.1"
                                      << "reached";
    QTest::newRow("loopback name") << "localhost"
                                   << "reached";
    QTest::newRow("name of the hosts file") << hostsFileLoopbackName() << "failed";
    QTest::newRow("unknown name") << "unknown.corvanta.test"
                                  << "failed";
}

// The page server's port under other names: only the loopback ones reach it; any other name
// fails in the engine, whatever the system would answer for it.
void BridgeTest::onlyLoopbackNamesResolve() {
    QFETCH(QString, host);
    QFETCH(QString, outcome);
    if (host.isEmpty())
        QSKIP("/etc/hosts names no loopback host besides localhost");
    const QString url = QStringLiteral("http://%1:%2/data.txt")
                            .arg(host)
                            .arg(webhost::LocalPageServer::instance().port());
    QCOMPARE(runAndAwaitReport(QStringLiteral("probe('%1')").arg(url)), outcome);
}

void BridgeTest::navigationReachesHandler_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expectedUrl");

    QTest::newRow("exec by location") << "location.href = 'exec://notepad.exe'"
                                      << "exec://notepad.exe";
    QTest::newRow("exec by link, as written") << "document.getElementById('exec').click()"
                                              << "exec://C:/Tools/Run.EXE%20a.txt";
    QTest::newRow("file by link") << "document.getElementById('file').click()"
                                  << "file:///tmp/a%20b.txt";
}

// Links reach the handler with the address as the page wrote it; a refused navigation leaves the
// page in place.
void BridgeTest::navigationReachesHandler() {
    QFETCH(QString, script);
    QFETCH(QString, expectedUrl);
    m_view->runScript(script);
    QTRY_VERIFY_WITH_TIMEOUT(!m_navigations.isEmpty(), kWaitMs);
    QCOMPARE(m_navigations.first(), expectedUrl);
    QCOMPARE(m_view->callGlobal("pageFlag", {}), JsValue::boolean(true));
    QCOMPARE(m_view->url(), QString::fromLatin1(kPageUrl));
}

// A file dropped on the view makes the engine itself navigate to it, as a load from native code
// does: the handler gets the file address and the page stays.
void BridgeTest::engineNavigationToFileReachesHandler() {
    m_view->loadUrl(QStringLiteral("file:///tmp/dropped%20file.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_navigations.isEmpty(), kWaitMs);
    QCOMPARE(m_navigations.first(), QStringLiteral("file:///tmp/dropped%20file.txt"));
    QCOMPARE(m_view->callGlobal("pageFlag", {}), JsValue::boolean(true));
    QCOMPARE(m_view->url(), QString::fromLatin1(kPageUrl));
}

void BridgeTest::cookiesOfThePageAreReported() {
    m_view->runScript(QStringLiteral("document.cookie = 'visit=1'; document.cookie = 'lang=zh';"));
    QTRY_VERIFY_WITH_TIMEOUT(m_view->cookies().contains(QLatin1String("lang=zh")), kWaitMs);
    QVERIFY(m_view->cookies().contains(QLatin1String("visit=1")));
}

// A window deletes its child widgets, the view's among them; the view object may outlive that
// and must then answer empty values instead of touching freed objects.
void BridgeTest::viewOutlivingItsWindowIsInert() {
    auto window = std::make_unique<QWidget>();
    std::unique_ptr<webhost::WebView> view = WebEngine::createView(window.get(), 0, 0, 100, 100);
    window.reset();
    QCOMPARE(view->widget(), nullptr);
    view->loadUrl(kPageUrl);
    QVERIFY(view->callGlobal("pageFlag", {}).isUndefined());
    QCOMPARE(view->url(), QString());
}

namespace {
const bool registered = registerTest<BridgeTest>("BridgeTest");
}  // namespace
