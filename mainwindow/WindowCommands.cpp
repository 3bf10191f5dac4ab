#include "Commands.h"
#include "MainBlkWindow.h"
#include "WorkerThread.h"
#include "pcinfo/PcInventory.h"
#include "printers/PrinterInventory.h"

namespace mainwindow::commands {

// The inventory runs on its own thread; the page hears of it through "scanCbkByCpp". The thread
// has no parent: it deletes itself when done, so closing the window while it runs neither
// waits for it nor destroys a running thread.
JsValue startGetPcinfo(const JsCall&, MainBlkWindow& window) {
    auto* worker = new WorkerThread(
        [](std::wstring& output) { output = pcinfo::buildPcInfo().toStdWString(); }, nullptr);
    QObject::connect(worker, &WorkerThread::resultReady, &window, &MainBlkWindow::pciinfoResults);
    worker->start(QThread::InheritPriority);
    return JsValue::boolean(true);
}

// The queues (argument 0 set: the connections) as JSON, through "enumPrinterCbkByCpp".
JsValue enumPrinters(const JsCall& call, MainBlkWindow& window) {
    auto* worker = new WorkerThread(
        [](std::wstring& output, int connections) {
            output = PrinterAPI::printersToJson(connections).toStdWString();
        },
        call.intArg(0), nullptr);
    QObject::connect(worker, &WorkerThread::resultReady, &window,
                     &MainBlkWindow::printersInfoResults);
    worker->start(QThread::InheritPriority);
    return JsValue();
}

// Both only mute the page calls of work that goes on to its end.
JsValue endQueryShareEnv(const JsCall&, MainBlkWindow& window) {
    window.endShareQuery();
    return JsValue::boolean(true);
}

JsValue endResetShareEnv(const JsCall&, MainBlkWindow& window) {
    window.endShareReset();
    return JsValue::boolean(true);
}

}  // namespace mainwindow::commands
