#include "mainwindow/PrinterCommands.h"

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "printers/PrinterActions.h"
#include "printers/PrinterConnections.h"
#include "printers/PrinterInventory.h"

namespace PrinterCommands {

webhost::JsValue changeInfoToObject(const PrinterAPI::PrinterChangeInfo& info) {
    auto integer = [](quint32 value) {
        return webhost::JsValue::integer(static_cast<qint32>(value));
    };
    webhost::JsValue object = webhost::JsValue::emptyObject();
    object.set("dwChanged", integer(info.dwChanged));
    webhost::JsValue fields = webhost::JsValue::emptyArray();
    for (int i = 0; i < info.dwNotifyField.size(); ++i) {
        fields.setAt(i, integer(info.dwNotifyField[i]));
    }
    object.set("dwNotifyField", fields);
    object.set("printerName", webhost::JsValue::string(info.printerName));
    object.set("printerServer", webhost::JsValue::string(info.printerServer));
    object.set("newPrinterName", webhost::JsValue::string(info.newPrinterName));
    object.set("dwAttribute", integer(info.dwAttribute));
    object.set("dwPrinterStatus", integer(info.dwPrinterStatus));
    object.set("dwJobStatus", integer(info.dwJobStatus));
    object.set("dwCjobs", integer(info.dwCjobs));
    return object;
}

webhost::JsValue printerInfoAnswer(platform::Spooler& spooler, const QString& queue) {
    PrinterAPI::PrinterChangeInfo info;
    const quint32 code = PrinterAPI::readPrinterState(spooler, queue, info);
    webhost::JsValue answer = webhost::JsValue::emptyObject();
    answer.set("code", webhost::JsValue::integer(static_cast<qint32>(code)));
    if (code == 0) {
        answer.set("info", changeInfoToObject(info));
    }
    return answer;
}

namespace {

webhost::JsValue code(quint32 value) {
    return webhost::JsValue::integer(static_cast<qint32>(value));
}

}  // namespace

webhost::JsValue printerListCommand(const webhost::JsCall&) {
    return webhost::JsValue::string(PrinterAPI::printerDeviceListJson());
}

webhost::JsValue getPrinterInfoCommand(const webhost::JsCall& call) {
    return printerInfoAnswer(platform::spooler(), call.textArg(0));
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
