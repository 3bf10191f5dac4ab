#include "CommandTable.h"

#include "Commands.h"
#include "MainBlkWindow.h"
#include "webhost/BaseWindow.h"

namespace mainwindow {

namespace {

using namespace commands;
using B = BoundParameter;

// The order is the binding order the page has always seen.
constexpr CommandRow kCommands[] = {
    {"startGetPcinfo", B::Window, 0, startGetPcinfo},
    {"printerList", B::None, 5, nullptr},
    {"downDir", B::None, 5, downDir},
    {"startScan", B::Window, 1, nullptr},
    {"interrupt", B::Window, 1, nullptr},
    {"exec", B::None, 1, exec},
    {"checkPrinterSpool", B::None, 0, nullptr},
    {"checkOcrFont", B::None, 0, nullptr},
    {"checkFirewall", B::None, 0, nullptr},
    {"checkPrinterSharing", B::None, 1, nullptr},
    {"checkPrinterQueue", B::None, 1, nullptr},
    {"restartPrinterSpool", B::None, 0, nullptr},
    {"installOcrFont", B::None, 0, nullptr},
    {"enableFirewall", B::None, 0, nullptr},
    {"enablePrinterSharing", B::None, 1, nullptr},
    {"cleanPrinterQueue", B::None, 1, nullptr},
    {"enumPrinters", B::Window, 1, nullptr},
    {"openManager", B::None, 2, nullptr},
    {"printTestPage", B::None, 2, nullptr},
    {"sharePrinter", B::None, 2, nullptr},
    {"deletePrinter", B::None, 2, nullptr},
    {"setDefaultPrinter", B::None, 2, nullptr},
    {"viewPrintQueue", B::None, 2, nullptr},
    {"addPrinter", B::None, 2, nullptr},
    {"addPrinterConnection", B::None, 2, nullptr},
    {"addPrinterConnectionAsync", B::Window, 2, nullptr},
    {"showPrintPreferencesPage", B::None, 2, nullptr},
    {"showPrinterPropertiesPage", B::None, 2, nullptr},
    {"resetSpool_firewall_queue", B::Handle, 0, nullptr},
    {"installDriverPackage", B::Handle, 3, installDriverPackage},
    {"getPrinterInfo", B::None, 0, nullptr},
    {"setUSBServiceFilter", B::Window, 1, nullptr},
    {"setNetDevOverCountUserHandle", B::Window, 3, nullptr},
    {"checkMMCExists", B::None, 1, nullptr},
    {"queryShareEnv", B::None, 0, nullptr},
    {"queryShareEnvAsync", B::Window, 1, nullptr},
    {"endQueryShareEnv", B::Window, 1, endQueryShareEnv},
    {"resetShareEnvAsync", B::Window, 0, nullptr},
    {"endResetShareEnv", B::Window, 0, endResetShareEnv},
    {"getLocalIps", B::Window, 0, nullptr},
    {"getHostSharePrinter", B::Window, 1, nullptr},
    {"netAddConnection", B::None, 3, nullptr},
    {"netCancelConnection", B::None, 3, nullptr},
};

void* boundParameter(BoundParameter bound, MainBlkWindow& window) {
    switch (bound) {
        case BoundParameter::Window:
            return &window;
        case BoundParameter::Handle:
            return reinterpret_cast<void*>(static_cast<quintptr>(window.handle()));
        case BoundParameter::None:
            break;
    }
    return nullptr;
}

}  // namespace

const CommandRow* commandTable(int* size) {
    *size = static_cast<int>(std::size(kCommands));
    return kCommands;
}

void bindCommands(MainBlkWindow& window) {
    webhost::WebView* view = window.view();
    if (!view)
        return;
    const webhost::WindowHandle handle = window.handle();
    for (const CommandRow& row : kCommands) {
        if (!row.handler)
            continue;
        const CommandHandler handler = row.handler;
        // A call that arrives while the window is being destroyed finds no window and is
        // answered with undefined.
        view->bindFunction(
            row.name,
            [handler, handle](const webhost::JsCall& call, void*) {
                auto* window =
                    dynamic_cast<MainBlkWindow*>(webhost::BaseWindow::fromHandle(handle));
                return window ? handler(call, *window) : webhost::JsValue();
            },
            boundParameter(row.bound, window), row.declaredCount);
    }
}

}  // namespace mainwindow
