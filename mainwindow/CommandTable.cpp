#include "CommandTable.h"

#include "Commands.h"
#include "MainBlkWindow.h"
#include "mainwindow/PrinterCommands.h"
#include "webhost/BaseWindow.h"

namespace mainwindow {

namespace {

using namespace commands;
using B = BoundParameter;
using webhost::JsCall;
using webhost::JsValue;

// The printer layer's commands take no window; these adapt them to the table's form.
template <JsValue (*command)(const JsCall&)>
JsValue withoutWindow(const JsCall& call, MainBlkWindow&) {
    return command(call);
}

JsValue addPrinterConnectionAsync(const JsCall& call, MainBlkWindow& window) {
    return PrinterCommands::addPrinterConnectionAsyncCommand(call, window.handle());
}

// The order is the binding order the page has always seen.
constexpr CommandRow kCommands[] = {
    {"startGetPcinfo", B::Window, 0, startGetPcinfo},
    {"printerList", B::None, 5, withoutWindow<PrinterCommands::printerListCommand>},
    {"downDir", B::None, 5, downDir},
    {"startScan", B::Window, 1, startScan},
    {"interrupt", B::Window, 1, interrupt},
    {"exec", B::None, 1, exec},
    {"checkPrinterSpool", B::None, 0, checkPrinterSpool},
    {"checkOcrFont", B::None, 0, checkOcrFont},
    {"checkFirewall", B::None, 0, checkFirewall},
    {"checkPrinterSharing", B::None, 1, checkPrinterSharing},
    {"checkPrinterQueue", B::None, 1, checkPrinterQueue},
    {"restartPrinterSpool", B::None, 0, restartPrinterSpool},
    {"installOcrFont", B::None, 0, installOcrFont},
    {"enableFirewall", B::None, 0, enableFirewall},
    {"enablePrinterSharing", B::None, 1, enablePrinterSharing},
    {"cleanPrinterQueue", B::None, 1, cleanPrinterQueue},
    {"enumPrinters", B::Window, 1, enumPrinters},
    {"openManager", B::None, 2, withoutWindow<PrinterCommands::openManagerCommand>},
    {"printTestPage", B::None, 2, withoutWindow<PrinterCommands::printTestPageCommand>},
    {"sharePrinter", B::None, 2, withoutWindow<PrinterCommands::sharePrinterCommand>},
    {"deletePrinter", B::None, 2, withoutWindow<PrinterCommands::deletePrinterCommand>},
    {"setDefaultPrinter", B::None, 2, withoutWindow<PrinterCommands::setDefaultPrinterCommand>},
    {"viewPrintQueue", B::None, 2, withoutWindow<PrinterCommands::viewPrintQueueCommand>},
    {"addPrinter", B::None, 2, withoutWindow<PrinterCommands::addPrinterCommand>},
    {"addPrinterConnection", B::None, 2,
     withoutWindow<PrinterCommands::addPrinterConnectionCommand>},
    {"addPrinterConnectionAsync", B::Window, 2, addPrinterConnectionAsync},
    {"showPrintPreferencesPage", B::None, 2,
     withoutWindow<PrinterCommands::showPrintPreferencesPageCommand>},
    {"showPrinterPropertiesPage", B::None, 2,
     withoutWindow<PrinterCommands::showPrinterPropertiesPageCommand>},
    {"resetSpool_firewall_queue", B::Handle, 0, resetSpoolFirewallQueue},
    {"installDriverPackage", B::Handle, 3, installDriverPackage},
    {"getPrinterInfo", B::None, 0, withoutWindow<PrinterCommands::getPrinterInfoCommand>},
    {"setUSBServiceFilter", B::Window, 1, setUSBServiceFilter},
    {"setNetDevOverCountUserHandle", B::Window, 3, setNetDevOverCountUserHandle},
    {"checkMMCExists", B::None, 1, withoutWindow<PrinterCommands::checkMMCExistsCommand>},
    {"queryShareEnv", B::None, 0, queryShareEnv},
    {"queryShareEnvAsync", B::Window, 1, queryShareEnvAsync},
    {"endQueryShareEnv", B::Window, 1, endQueryShareEnv},
    {"resetShareEnvAsync", B::Window, 0, resetShareEnvAsync},
    {"endResetShareEnv", B::Window, 0, endResetShareEnv},
    {"getLocalIps", B::Window, 0, getLocalIps},
    {"getHostSharePrinter", B::Window, 1, getHostSharePrinter},
    {"netAddConnection", B::None, 3, netAddConnection},
    {"netCancelConnection", B::None, 3, netCancelConnection},
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
