#include "WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "WindowList.h"
#include "platform/HandOver.h"

namespace webhost {
namespace {

// The answer a blocked sender waits for. Given exactly once: by the dispatch, or by the
// event's destruction when the message is never dispatched (the application is ending). Standard
// primitives rather than Qt's, so that ThreadSanitizer sees the hand-over of the result.
class Reply {
public:
    void give(LResult result) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_result = result;
            m_given = true;
        }
        m_changed.notify_one();
    }
    LResult wait() {
        std::unique_lock<std::mutex> guard(m_lock);
        m_changed.wait(guard, [this] { return m_given; });
        return m_result;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_given = false;
    LResult m_result = 0;
};

class MessageEvent : public QEvent {
public:
    static QEvent::Type eventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    MessageEvent(WindowHandle window, WindowMessage message, std::shared_ptr<Reply> reply)
        : QEvent(eventType()),
          m_window(window),
          m_message(std::move(message)),
          m_reply(std::move(reply)) {}

    ~MessageEvent() override {
        platform::handOver::taken(this);  // also when Qt deletes it unhandled
        answer(0);
    }

    void dispatch() {
        MessageTarget* target = windowList::find(m_window);
        answer(target ? target->windowProc(m_message) : 0);
    }

private:
    void answer(LResult result) {
        if (m_reply) {
            m_reply->give(result);
            m_reply.reset();
        }
    }

    WindowHandle m_window;
    WindowMessage m_message;  // owns the payload: freed with the event whatever happens
    std::shared_ptr<Reply> m_reply;
};

// Lives on the UI thread and receives the queued messages there.
class MessageQueue : public QObject {
public:
    bool event(QEvent* event) override {
        platform::handOver::taken(event);
        if (event->type() == MessageEvent::eventType()) {
            static_cast<MessageEvent*>(event)->dispatch();
            return true;
        }
        return QObject::event(event);
    }
};

QThread* uiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app ? app->thread() : nullptr;
}

// Created on first use from whatever thread and handed to the UI thread.
MessageQueue* queue() {
    static MessageQueue* instance = [] {
        auto* q = new MessageQueue;
        q->moveToThread(uiThread());
        // Ends with the application; Qt then frees the events still queued to it.
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [q] { delete q; });
        return q;
    }();
    return instance;
}

}  // namespace

WindowMessage makeMessage(unsigned message, WParam wParam, LParam lParam,
                          std::unique_ptr<MessagePayload> payload) {
    WindowMessage m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.payload = std::move(payload);
    return m;
}

bool postMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam,
                 std::unique_ptr<MessagePayload> payload) {
    if (!uiThread() || !windowList::contains(window)) {
        return false;  // the payload goes with this frame
    }
    auto* event =
        new MessageEvent(window, makeMessage(message, wParam, lParam, std::move(payload)), nullptr);
    platform::handOver::giving(event);
    QCoreApplication::postEvent(queue(), event);
    return true;
}

LResult sendMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam,
                    std::unique_ptr<MessagePayload> payload) {
    QThread* ui = uiThread();
    if (!ui) {
        return 0;
    }
    WindowMessage m = makeMessage(message, wParam, lParam, std::move(payload));
    if (QThread::currentThread() == ui) {
        MessageTarget* target = windowList::find(window);
        return target ? target->windowProc(m) : 0;
    }
    if (!windowList::contains(window)) {
        return 0;  // as SendMessageW to a window that does not exist: at once
    }
    auto reply = std::make_shared<Reply>();
    auto* event = new MessageEvent(window, std::move(m), reply);
    platform::handOver::giving(event);
    QCoreApplication::postEvent(queue(), event);
    return reply->wait();
}

void postQuitMessage(int exitCode) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app) {
        QMetaObject::invokeMethod(
            app, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
    }
}

}  // namespace webhost
