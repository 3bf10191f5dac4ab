// Corvanta's own start-up and exit (app::run) with stand-in views: once the main window's page
// has "loaded", a burst of page calls starts detached threads (command captures, a printer
// connection, print dialogs) and a thread keeps changing printers, then the page closes the
// window at once, so the process ends while those threads still run.
#include <QTextStream>
#include <QTimer>
#include <atomic>
#include <thread>

#include "StandInView.h"
#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/Spooler.h"
#include "webhost/WindowList.h"

namespace {

constexpr int kCapturesPerBurst = 8;
constexpr int kWmClose = 0x0010;
const QList<QByteArray> kQueues = {"Office Laser", "Reception Color"};

using webhost::JsValue;

JsValue text(const QByteArray& utf8) {
    return JsValue::string(utf8);
}

// Detached, as the program's own workers are: it runs until the process is gone.
void changePrintersForever() {
    std::thread([] {
        for (int i = 0;; ++i) {
            platform::spooler().setDefaultPrinter(
                QString::fromUtf8(kQueues[i % kQueues.size()]).toStdWString());
        }
    }).detach();
}

void burst(StandInView& view) {
    const qint64 handle = webhost::windowList::handles().front();
    changePrintersForever();
    for (int i = 0; i < kCapturesPerBurst; ++i) {
        view.call("createProcessWithReturnedDataAsync",
                  {text("cmd /c echo " + QByteArray::number(i)), JsValue::integer(handle),
                   JsValue::integer(i)});
        view.call("printerList", {});
    }
    view.call("addPrinterConnectionAsync", {text("127.0.0.1"), text("Shared")});
    view.call("printTestPage", {text("Office Laser")});
    view.call("startGetPcinfo", {});
    view.call("enumPrinters", {JsValue::integer(1)});
    QTextStream(stdout) << "burst sent" << Qt::endl;
    view.call("sendMessage", {JsValue::integer(handle), JsValue::integer(kWmClose),
                              JsValue::integer(0), JsValue::integer(0)});
    // The window is gone; its view lives on until the event loop retires it. A page call that
    // still reaches the view must not reach the window.
    const bool answered = view.call("getLocalIps", {}).type() != JsValue::Type::Undefined;
    QTextStream(stdout) << (answered ? "late call answered" : "late call unanswered") << Qt::endl;
}

}  // namespace

int main(int argc, char** argv) {
    StandInView::install([](StandInView& view) {
        // The first view is the main window's; its page calls once the load has finished.
        static bool first = true;
        if (!first) {
            return;
        }
        first = false;
        QTimer::singleShot(50, view.widget(), [&view] { burst(view); });
    });
    app::endProcess(app::run(argc, argv));
}
