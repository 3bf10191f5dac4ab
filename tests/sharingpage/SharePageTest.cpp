#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "RecordingWindow.h"
#include "mainwindow/MainBlkWindow.h"
#include "platform/sim/core/ProcessPc.h"
#include "webhost/EngineLoading.h"
#include "webhost/ShowCommand.h"

using mainwindow::MainBlkWindow;
using webhost::JsValue;

namespace {

constexpr char kHost[] = "http://share.corvanta.test";

// The page records every share callback; endResetAt makes it end the repair run from inside
// the progress callback of that step, as a page's cancel button would.
constexpr char kPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body><script>
window.endResetAt = 0;
function record(name, args) { recordCall(name, Array.prototype.slice.call(args)); }
function queryShareEnvAsyncProgressCbkByCpp(step, count, result) {
  record("queryProgress", arguments);
}
function queryShareEnvAsyncCbkByCpp(results) { record("queryResult", arguments); }
function resetShareEnvProgressCbkByCpp(step, count) {
  record("resetProgress", arguments);
  if (step === window.endResetAt) { endResetShareEnv(); recordCall("resetEnded", []); }
}
function resetShareEnvResultCbkByCpp() { record("resetResult", arguments); }
</script></body></html>)";

QByteArray bundledProfile(const char* name) {
    QFile file(QStringLiteral(":/corvanta/profiles/%1.json").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray progressArgs(int step, int count, int value) {
    return QStringLiteral("[%1,%2,%3]").arg(step).arg(count).arg(value).toUtf8();
}

}  // namespace

class SharePageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_pristine = PcFolder::fromText(bundledProfile("win10"));
        m_pc = PcFolder::fromText(bundledProfile("win10"));
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
        QVERIFY(platform::sim::setProcessPc(m_pc->open()));
        QVERIFY(m_html.isValid());
        QDir(m_html.path()).mkpath("html");
        QFile page(m_html.filePath("html/main.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(kPage);
        page.close();
        QVERIFY(webhost::loadEngine(m_html.path(), kHost));
        m_window = new RecordingWindow(QByteArray(kHost) + "/main.html");
        webhost::WindowSettings settings;
        settings.host = kHost;
        QVERIFY(m_window->create(settings, webhost::FrameFlags(), webhost::WindowOptions(), false,
                                 false, webhost::kSwShow));
        QVERIFY(QTest::qWaitFor(
            [&] { return run("typeof resetShareEnvResultCbkByCpp").toUtf8() == "function"; },
            20000));
    }

    void init() {
        // Each case starts from the shipped PC.
        const QDir from(m_pristine->directory() + "/state");
        const QDir to(m_pc->directory() + "/state");
        for (const QString& name : from.entryList({"*.json"}, QDir::Files)) {
            QFile::remove(to.filePath(name));
            QVERIFY(QFile::copy(from.filePath(name), to.filePath(name)));
        }
        run("window.endResetAt = 0");
        m_window->calls.clear();
    }

    void cleanupTestCase() {
        // The view goes before the engine's profile does.
        if (m_window)
            m_window->destroyWindow();
        QTest::qWait(200);
    }

    // The shipped Windows 10 PC cannot share; one repair run makes every check read good.
    void checkRepairAndCheckAgain() {
        const QByteArray before = "[[0,0,2,0,0,1,1,0,0,0,1]]";
        QCOMPARE(checkWithProgress(), before);
        QCOMPARE(run("queryShareEnv()").toWire(), QByteArray("[0,0,2,0,0,1,1,0,0,0,1]"));

        QCOMPARE(run("resetShareEnvAsync()").toBoolean(), true);
        const QList<PageCall> calls = waitFor("resetResult", 60000);
        QCOMPARE(calls.size(), 12);
        for (int step = 1; step <= 11; ++step) {
            QCOMPARE(calls[step - 1].name, QByteArray("resetProgress"));
            QCOMPARE(calls[step - 1].args, QStringLiteral("[%1,11]").arg(step).toUtf8());
        }
        QCOMPARE(calls[11].args, QByteArray("[]"));

        QCOMPARE(checkWithProgress(), QByteArray("[[1,1,3,15,1,0,1,1,3,1,0]]"));
        QCOMPARE(run("resetShareEnvAsync()").toBoolean(), false);
        waitFor("resetResult", 60000);
    }

    // Ended at once: the worker goes on to its end, and the page hears only what the window
    // handled before the end reached it: the first steps in order, never the last or the
    // result. (The end is a second page call; while it travels, the window goes on handling
    // the worker's reports, each a round trip, and how many fit in depends on the machine's
    // load: four were seen on a busy one.)
    void endQueryDuringCheckMutesTheRest() {
        run("(queryShareEnvAsync(0), endQueryShareEnv(0))");
        QTest::qWait(1500);
        const QList<QByteArray> heard = names(m_window->calls);
        QVERIFY2(heard.size() < 11, heard.join(' ').constData());
        for (int i = 0; i < heard.size(); ++i) {
            QCOMPARE(heard[i], QByteArray("queryProgress"));
            QVERIFY(m_window->calls[i].args.startsWith('[' + QByteArray::number(i + 1) + ','));
        }
        // A new query clears the end and runs to its end.
        m_window->calls.clear();
        QCOMPARE(checkWithProgress(), QByteArray("[[0,0,2,0,0,1,1,0,0,0,1]]"));
    }

    // A second query supersedes the first: what the first reported before the second started
    // may have reached the page, nothing after; the second runs whole.
    void laterQuerySupersedesTheEarlier() {
        run("(queryShareEnvAsync(0), queryShareEnvAsync(0))");
        QList<PageCall> calls = waitFor("queryResult", 30000);
        // The first worker runs while the page makes its second call: on a loaded machine it
        // may report a step or more before it is superseded, always from its first step on.
        QVERIFY2(calls.size() >= 12, QByteArray::number(calls.size()));
        const int earlier = calls.size() - 12;
        for (int step = 1; step <= earlier; ++step) {
            QCOMPARE(calls.first().name, QByteArray("queryProgress"));
            QVERIFY(calls.first().args.startsWith('[' + QByteArray::number(step) + ",11,"));
            calls.removeFirst();
        }
        for (int step = 1; step <= 11; ++step) {
            QCOMPARE(calls[step - 1].name, QByteArray("queryProgress"));
            QVERIFY(calls[step - 1].args.startsWith('[' + QByteArray::number(step) + ",11,"));
        }
        QCOMPARE(calls.last().args, QByteArray("[[0,0,2,0,0,1,1,0,0,0,1]]"));
        QTest::qWait(1000);
        QVERIFY(m_window->calls.isEmpty());
    }

    // Ended while PowerShell enables SMB 1 (step 10): the command runs to its end, the Guest
    // account is not repaired, and no more callbacks come.
    void endResetDuringPowerShell() {
        run("window.endResetAt = 10");
        run("resetShareEnvAsync()");
        QVERIFY(QTest::qWaitFor([&] { return m_window->calls.size() >= 11; }, 60000));
        QTest::qWait(5000);  // longer than the PowerShell step
        QCOMPARE(m_window->calls.size(), 11);
        QCOMPARE(m_window->calls[9].args, QByteArray("[10,11]"));
        QCOMPARE(m_window->calls[10].name, QByteArray("resetEnded"));
        const JsValue results = run("queryShareEnv()");
        QCOMPARE(results.toWire(), QByteArray("[1,1,3,15,1,0,1,1,3,1,1]"));
    }

    // Another program holds the network configuration's lock: repair 2 gives up after its
    // time-out, the run goes on, and everything else is repaired.
    void lockedNetworkConfigurationLetsTheRunGoOn() {
        QProcess tool;
        tool.start(CORVANTA_SIM_TOOL, {"--machine", m_pc->directory(), "netcfg", "lock",
                                       "Network Setup Wizard", "120"});
        QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
        run("resetShareEnvAsync()");
        const QList<PageCall> calls = waitFor("resetResult", 60000);
        QCOMPARE(calls.size(), 12);
        QCOMPARE(run("queryShareEnv()").toWire(), QByteArray("[1,1,2,15,1,0,1,1,3,1,0]"));
    }

private:
    JsValue run(const QString& script) {
        m_window->view()->runScript("window.__answer = function () { return " + script + "; };");
        return m_window->callPage("__answer", {});
    }

    // The calls up to and including the first named `last`.
    QList<PageCall> waitFor(const QByteArray& last, int timeoutMs) {
        const auto arrived = [&] {
            for (const PageCall& call : m_window->calls)
                if (call.name == last)
                    return true;
            return false;
        };
        if (!QTest::qWaitFor(arrived, timeoutMs))
            qWarning() << "waited in vain for" << last;
        QList<PageCall> calls = m_window->calls;
        m_window->calls.clear();
        return calls;
    }

    static QList<QByteArray> names(const QList<PageCall>& calls) {
        QList<QByteArray> list;
        for (const PageCall& call : calls)
            list << call.name;
        return list;
    }

    // An asynchronous query: progress 1 to 11 with each value, then the array, which it answers.
    QByteArray checkWithProgress() {
        run("queryShareEnvAsync(0)");
        const QList<PageCall> calls = waitFor("queryResult", 30000);
        if (calls.size() != 12) {
            qWarning() << "calls:" << names(calls);
            return QByteArray();
        }
        const QByteArray results = calls[11].args;
        const QList<QByteArray> values = results.mid(2, results.size() - 4).split(',');
        for (int step = 1; step <= 11; ++step) {
            if (calls[step - 1].name != "queryProgress" ||
                calls[step - 1].args != progressArgs(step, 11, values.value(step - 1).toInt()))
                return "bad progress " + calls[step - 1].args;
        }
        return results;
    }

    std::unique_ptr<PcFolder> m_pristine;
    std::unique_ptr<PcFolder> m_pc;
    QTemporaryDir m_html;
    RecordingWindow* m_window = nullptr;
};

namespace {
const bool registered = registerTest<SharePageTest>("SharePageTest");
}  // namespace

#include "SharePageTest.moc"
