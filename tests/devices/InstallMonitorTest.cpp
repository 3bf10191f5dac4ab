// The install monitor window end to end: corvanta-sim plugs and unplugs devices in another
// process and the window's page hears of the watched printer.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "devices/InstallMonitorBlkWindow.h"
#include "platform/sim/core/SimulatedPc.h"
#include "webhost/EngineLoading.h"
#include "webhost/ShowCommand.h"
#include "webhost/WindowList.h"

using webhost::JsValue;

namespace {

constexpr char kHost[] = "http://devices.corvanta.test";
constexpr int kDeliveryTimeoutMs = 5000;
// How long a change that must reach nobody is given to arrive anyway.
constexpr int kQuietMs = 600;
const char kPrinter[] = "USB\\VID_03F0&PID_1853\\CN5C13J0B2";
const char kStick[] = "USB\\VID_0781&PID_5567\\4C53";

constexpr char kPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body><script>
["notifyUSBChangedByCpp", "notifyPrinterChangedByCpp"].forEach(function (name) {
  window[name] = function () { recordCall(name, Array.prototype.slice.call(arguments)); };
});
</script></body></html>)";

struct PageCall {
    QByteArray name;
    JsValue args;
};

class RecordingMonitor : public devices::InstallMonitorBlkWindow {
public:
    using InstallMonitorBlkWindow::InstallMonitorBlkWindow;
    QList<PageCall> calls;

protected:
    void bindPageFunctions() override {
        view()->bindFunction(
            "recordCall",
            [this](const webhost::JsCall& call, void*) {
                calls.append({call.utf8Arg(0), call.arg(1)});
                return JsValue();
            },
            nullptr, 2);
    }
};

int runTool(const QString& machine, const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
               QStringList{QStringLiteral("--machine"), machine} + arguments);
    tool.waitForFinished();
    return tool.exitCode();
}

}  // namespace

class InstallMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_machine = fixtureAsProcessPc(QStringLiteral("usb-pc")).machine().directory();
        QDir(m_folder.path()).mkpath(QStringLiteral("html"));
        QFile page(m_folder.filePath(QStringLiteral("html/installmonitor.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(kPage);
        page.close();
        QVERIFY(webhost::loadEngine(m_folder.path(), kHost));
        m_window = new RecordingMonitor(0, QByteArray(kHost) + "/installmonitor.html");
        m_window->watchHardwareId(QStringLiteral("USB\\VID_03F0&PID_1853"));
        webhost::WindowSettings settings;
        settings.host = kHost;
        QVERIFY(m_window->open(settings, webhost::FrameFlags(), webhost::WindowOptions(),
                               webhost::kSwShow));
        QCOMPARE(webhost::windowList::findByClass(QStringLiteral("installerMonitor")),
                 m_window->handle());
        QVERIFY(QTest::qWaitFor(
            [&] {
                m_window->view()->runScript(
                    "window.__answer = function () { return typeof notifyUSBChangedByCpp; };");
                return m_window->callPage("__answer", {}).toUtf8() == "function";
            },
            20000));
    }

    void anotherDeviceWhileThePrinterIsThere() {
        m_window->calls.clear();
        QCOMPARE(runTool(m_machine, {"device", "unplug", kStick}), 0);
        QTest::qWait(kQuietMs);
        QCOMPARE(names(), QList<QByteArray>());
        // Any USB arrival while the watched printer is connected confirms it to the page.
        QCOMPARE(runTool(m_machine, {"device", "plug", kStick}), 0);
        QVERIFY(waitForCall("notifyUSBChangedByCpp"));
        QTest::qWait(kQuietMs);
        QCOMPARE(names(), QList<QByteArray>{"notifyUSBChangedByCpp"});
        QCOMPARE(m_window->calls[0].args.toWire(), QByteArray("[true]"));
    }

    // Plugging another device in while the watched printer is away calls nothing.
    void anotherDeviceWhileThePrinterIsAwayCallsNothing() {
        QCOMPARE(runTool(m_machine, {"device", "unplug", kStick}), 0);
        QCOMPARE(runTool(m_machine, {"device", "unplug", kPrinter}), 0);
        QVERIFY(waitForCall("notifyUSBChangedByCpp"));
        QTest::qWait(kQuietMs);
        m_window->calls.clear();
        QCOMPARE(runTool(m_machine, {"device", "plug", kStick}), 0);
        QTest::qWait(kQuietMs);
        const QList<QByteArray> quiet = names();
        QCOMPARE(runTool(m_machine, {"device", "plug", kPrinter}), 0);
        QVERIFY(waitForCall("notifyPrinterChangedByCpp"));
        QTest::qWait(kQuietMs);
        QCOMPARE(quiet, QList<QByteArray>());
    }

    void unplugThenPlugTheWatchedPrinter() {
        m_window->calls.clear();
        QCOMPARE(runTool(m_machine, {"device", "unplug", kPrinter}), 0);
        QVERIFY(waitForCall("notifyUSBChangedByCpp"));
        QTest::qWait(100);
        // The queue's printer interface left first; then the USB device.
        QCOMPARE(names(),
                 (QList<QByteArray>{"notifyPrinterChangedByCpp", "notifyUSBChangedByCpp"}));
        QCOMPARE(m_window->calls[1].args.toWire(), QByteArray("[false]"));
        const JsValue gone = m_window->calls[0].args.at(0);
        QCOMPARE(gone.get("code"), JsValue::boolean(true));
        QCOMPARE(gone.get("connected "), JsValue::boolean(false));

        m_window->calls.clear();
        QCOMPARE(runTool(m_machine, {"device", "plug", kPrinter}), 0);
        QVERIFY(waitForCall("notifyPrinterChangedByCpp"));
        QTest::qWait(100);
        QCOMPARE(names(),
                 (QList<QByteArray>{"notifyUSBChangedByCpp", "notifyPrinterChangedByCpp"}));
        QCOMPARE(m_window->calls[0].args.toWire(), QByteArray("[true]"));
        const JsValue back = m_window->calls[1].args.at(0);
        QCOMPARE(back.get("connected "), JsValue::boolean(true));
        QCOMPARE(back.get("usbprint"), JsValue::boolean(true));
        QCOMPARE(back.get("printQueue").toWire(), QByteArray(R"(["Label Printer"])"));
        QCOMPARE(back.get("code"), JsValue::boolean(true));
    }

    void driverlessPrinterHasNoQueue() {
        const JsValue state = m_window->deviceStateObject(QStringLiteral("USB\\VID_04B8&PID_0005"));
        QCOMPARE(state.get("connected "), JsValue::boolean(true));
        QCOMPARE(state.get("usbprint"), JsValue::boolean(false));
        QCOMPARE(state.get("printQueue").toWire(), QByteArray("[]"));
        QCOMPARE(state.get("code"), JsValue::boolean(true));
    }

    void cleanupTestCase() {
        // The view goes before the engine's profile does.
        if (m_window)
            m_window->destroyWindow();
        QTest::qWait(200);
        webhost::unloadEngine();
    }

private:
    bool waitForCall(const QByteArray& name) {
        return QTest::qWaitFor([&] { return names().contains(name); }, kDeliveryTimeoutMs);
    }
    QList<QByteArray> names() const {
        QList<QByteArray> list;
        for (const PageCall& call : m_window->calls)
            list << call.name;
        return list;
    }

    QTemporaryDir m_folder;
    QString m_machine;
    RecordingMonitor* m_window = nullptr;
};

namespace {
const bool registered = registerTest<InstallMonitorTest>("InstallMonitorTest");
}

#include "InstallMonitorTest.moc"
