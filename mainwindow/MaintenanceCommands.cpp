// The repair screens' commands: spooler, queue, sharing, firewall and font checks, and the
// repairs Kestrune performs.
#include "Commands.h"
#include "MainBlkWindow.h"
#include "MainMessages.h"
#include "maintenance/Maintenance.h"

namespace mainwindow::commands {

JsValue checkPrinterSpool(const JsCall&, MainBlkWindow&) {
    return JsValue::integer(maintenance::spoolerState());
}

JsValue checkOcrFont(const JsCall&, MainBlkWindow&) {
    return JsValue::boolean(maintenance::isOcrFontInstalled());
}

JsValue checkFirewall(const JsCall& call, MainBlkWindow&) {
    return JsValue::boolean(maintenance::isFirewallGroupEnabled(call.intArg(0)));
}

JsValue checkPrinterSharing(const JsCall& call, MainBlkWindow&) {
    return JsValue::boolean(maintenance::isQueueShared(call.textArg(0)));
}

JsValue checkPrinterQueue(const JsCall& call, MainBlkWindow&) {
    return JsValue::integer(static_cast<int>(maintenance::queueJobFlags(call.textArg(0))));
}

JsValue restartPrinterSpool(const JsCall&, MainBlkWindow&) {
    return JsValue::integer(
        static_cast<int>(maintenance::runKestrune(maintenance::kModeRestartSpooler)));
}

JsValue installOcrFont(const JsCall&, MainBlkWindow&) {
    return JsValue::integer(static_cast<int>(maintenance::installOcrFont()));
}

JsValue enableFirewall(const JsCall&, MainBlkWindow&) {
    return JsValue::integer(static_cast<int>(maintenance::runKestrune(maintenance::kModeFirewall)));
}

JsValue enablePrinterSharing(const JsCall& call, MainBlkWindow&) {
    return JsValue::integer(static_cast<int>(maintenance::shareQueueKeepingName(call.textArg(0))));
}

// The page learns the outcome only by testing again.
JsValue cleanPrinterQueue(const JsCall&, MainBlkWindow&) {
    maintenance::runKestrune(maintenance::kModeCleanSpoolFolder);
    return JsValue();
}

// Answers at once; the page hears "notifyFinishResetAllByCpp" when Kestrune has ended.
JsValue resetSpoolFirewallQueue(const JsCall&, MainBlkWindow& window) {
    const webhost::WindowHandle handle = window.handle();
    return JsValue::integer(
        static_cast<int>(maintenance::startKestrune(maintenance::kModeEverything, [handle] {
            webhost::postMessage(handle, kMsgResetAllFinished, 0, 0);
        })));
}

}  // namespace mainwindow::commands
