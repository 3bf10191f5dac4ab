#include "PrinterCommands.h"

#include "PrinterActions.h"
#include "PrinterConnections.h"
#include "PrinterInventory.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace PrinterCommands {

namespace {

webhost::JsValue code(quint32 value) {
    return webhost::JsValue::integer(static_cast<qint32>(value));
}

}  // namespace

webhost::JsValue printerListCommand(const webhost::JsCall&) {
    return webhost::JsValue::string(PrinterAPI::printerDeviceListJson());
}

webhost::JsValue getPrinterInfoCommand(const webhost::JsCall& call) {
    return PrinterAPI::printerInfoAnswer(platform::spooler(), call.textArg(0));
}

webhost::JsValue printTestPageCommand(const webhost::JsCall& call) {
    return code(PrinterAPI::printTestPage(call.textArg(0)));
}

webhost::JsValue viewPrintQueueCommand(const webhost::JsCall& call) {
    return code(PrinterAPI::viewPrintQueue(call.textArg(0)));
}

webhost::JsValue showPrintPreferencesPageCommand(const webhost::JsCall& call) {
    return code(PrinterAPI::showPrintPreferences(call.textArg(0)));
}

webhost::JsValue showPrinterPropertiesPageCommand(const webhost::JsCall& call) {
    return code(PrinterAPI::showPrinterProperties(call.textArg(0)));
}

webhost::JsValue setDefaultPrinterCommand(const webhost::JsCall& call) {
    return webhost::JsValue::boolean(
        PrinterAPI::setDefaultPrinter(platform::spooler(), call.textArg(0)));
}

webhost::JsValue sharePrinterCommand(const webhost::JsCall& call) {
    return code(PrinterAPI::setQueueShared(platform::spooler(), call.textArg(0), call.boolArg(2)));
}

webhost::JsValue deletePrinterCommand(const webhost::JsCall& call) {
    const bool connection = !call.textArg(1).isEmpty();
    return code(PrinterAPI::deleteQueue(platform::spooler(), call.textArg(0), connection));
}

webhost::JsValue addPrinterCommand(const webhost::JsCall& call) {
    PrinterAPI::addPrinter(platform::spooler(), call.intArg(0), call.intArg(1));
    return webhost::JsValue::undefined();
}

webhost::JsValue openManagerCommand(const webhost::JsCall& call) {
    return code(PrinterAPI::openManager(call.argCount(), call.intArg(1)));
}

webhost::JsValue checkMMCExistsCommand(const webhost::JsCall& call) {
    return webhost::JsValue::boolean(
        PrinterAPI::checkMMCExists(platform::registry(), call.intArg(0)));
}

webhost::JsValue addPrinterConnectionCommand(const webhost::JsCall& call) {
    return code(
        PrinterAPI::addPrinterConnection(platform::spooler(), call.textArg(0), call.textArg(1)));
}

webhost::JsValue addPrinterConnectionAsyncCommand(const webhost::JsCall& call,
                                                  webhost::WindowHandle mainWindow) {
    PrinterAPI::addPrinterConnectionAsync(platform::spooler(), mainWindow, call.textArg(0),
                                          call.textArg(1));
    return webhost::JsValue::null();
}

bool printerCountChanged(int& printerCount) {
    const int count = PrinterAPI::countPrinters(platform::spooler());
    if (count == printerCount) {
        return false;
    }
    printerCount = count;
    return true;
}

}  // namespace PrinterCommands
