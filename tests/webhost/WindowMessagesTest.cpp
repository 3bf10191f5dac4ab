#include "WindowMessagesTest.h"

#include "TestMain.h"

#include <QThread>
#include <QtTest>
#include <atomic>
#include <thread>

#include "webhost/WindowList.h"
#include "webhost/WindowMessages.h"

using namespace webhost;

namespace {

std::atomic<int> g_payloadsFreed{0};

struct CountedPayload : MessagePayload {
    explicit CountedPayload(int v) : value(v) {}
    ~CountedPayload() override { ++g_payloadsFreed; }
    int value;
};

// A window whose procedure records what reached it and on which thread.
class RecordingWindow : public MessageTarget {
public:
    explicit RecordingWindow(const QString& windowClass = "testWin")
        : handle(windowList::allocateHandle()) {
        windowList::add(handle, this, windowClass);
    }
    ~RecordingWindow() override { windowList::remove(handle); }

    LResult windowProc(WindowMessage& message) override {
        thread = QThread::currentThread();
        lastMessage = message.message;
        if (auto* counted = message.payloadAs<CountedPayload>()) {
            payloadValue = counted->value;
            if (takePayload) {
                message.payload.reset();  // the procedure may free it itself
            }
        }
        ++calls;
        return static_cast<LResult>(message.wParam * 2);
    }

    const WindowHandle handle;
    std::atomic<QThread*> thread{nullptr};
    std::atomic<unsigned> lastMessage{0};
    std::atomic<int> payloadValue{0};
    std::atomic<int> calls{0};
    bool takePayload = false;
};

}  // namespace

void WindowMessagesTest::postFromWorkerRunsOnUiThread() {
    RecordingWindow window;
    std::thread worker([&] { postMessage(window.handle, 0x850, 1, 2); });
    worker.join();
    QCOMPARE(window.calls.load(), 0);  // queued, not called on the worker
    QTRY_COMPARE(window.calls.load(), 1);
    QCOMPARE(window.lastMessage.load(), 0x850u);
    QCOMPARE(window.thread.load(), QThread::currentThread());
}

void WindowMessagesTest::sendFromWorkerWaitsForTheResult() {
    RecordingWindow window;
    std::atomic<bool> done{false};
    std::atomic<int> callsSeenBySender{-1};
    LResult result = 0;
    std::thread worker([&] {
        result = sendMessage(window.handle, 0x46A, 21, 0, std::make_unique<CountedPayload>(5));
        callsSeenBySender = window.calls.load();
        done = true;
    });
    QTRY_VERIFY(done.load());
    worker.join();
    QCOMPARE(result, LResult(42));
    QCOMPARE(callsSeenBySender.load(), 1);  // the procedure had run when the send returned
    QCOMPARE(window.thread.load(), QThread::currentThread());
    QCOMPARE(window.payloadValue.load(), 5);
}

void WindowMessagesTest::sendOnUiThreadCallsDirectly() {
    RecordingWindow window;
    QCOMPARE(sendMessage(window.handle, 0x464, 4, 0), LResult(8));
    QCOMPARE(window.calls.load(), 1);
    QCOMPARE(sendMessage(window.handle + 1000, 0x464, 4, 0), LResult(0));
}

void WindowMessagesTest::payloadFreedOnce_data() {
    QTest::addColumn<QString>("route");
    QTest::newRow("posted, window destroyed before dispatch") << "post-then-destroy";
    QTest::newRow("posted to a window that never existed") << "post-missing";
    QTest::newRow("posted, dispatched") << "post";
    QTest::newRow("posted, procedure frees it") << "post-take";
    QTest::newRow("sent from a worker to a window that is gone") << "send-missing";
    QTest::newRow("sent on the UI thread") << "send";
}

void WindowMessagesTest::payloadFreedOnce() {
    QFETCH(QString, route);
    g_payloadsFreed = 0;
    auto window = std::make_unique<RecordingWindow>();
    window->takePayload = route == "post-take";
    const WindowHandle handle = route.endsWith("missing") ? window->handle + 4000 : window->handle;
    auto payload = std::make_unique<CountedPayload>(1);
    if (route.startsWith("post")) {
        postMessage(handle, 0x468, 0, 0, std::move(payload));
        if (route == "post-then-destroy") {
            window.reset();
        }
    } else if (route == "send-missing") {
        std::thread([&] { sendMessage(handle, 0x468, 0, 0, std::move(payload)); }).join();
    } else {
        sendMessage(handle, 0x468, 0, 0, std::move(payload));
    }
    QTRY_COMPARE(g_payloadsFreed.load(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(g_payloadsFreed.load(), 1);
}

void WindowMessagesTest::findByClassIgnoresLetterCase() {
    RecordingWindow other("commonWin");
    RecordingWindow main("mainWindow");
    QCOMPARE(windowList::findByClass("MAINWINDOW"), main.handle);
    QCOMPARE(windowList::findByClass("noSuchClass"), WindowHandle(0));
}

namespace {
const bool registered = registerTest<WindowMessagesTest>("WindowMessagesTest");
}  // namespace
