#pragma once

#include <QString>

#include "platform/Spooler.h"
#include "printers/PrinterRecords.h"
#include "webhost/JsValue.h"
#include "webhost/WindowMessages.h"

// The page commands of the printer layer, for the main window's command table. Each adapter
// reads the page's arguments and answers what the page expects; the work is done by the
// PrinterAPI functions on platform::spooler(). All run on the UI thread.
//
//  #  command                    bound parameter  count  adapter
//  2  printerList                none             5      printerListCommand
// 17  enumPrinters               window           1      (window) a WorkerThread in mode 1
//                                                        running PrinterAPI::printersToJson
//                                                        (argument 0, an integer); its result
//                                                        goes to "enumPrinterCbkByCpp"
// 18  openManager                none             2      openManagerCommand
// 19  printTestPage              none             2      printTestPageCommand
// 20  sharePrinter               none             2      sharePrinterCommand
// 21  deletePrinter              none             2      deletePrinterCommand
// 22  setDefaultPrinter          none             2      setDefaultPrinterCommand
// 23  viewPrintQueue             none             2      viewPrintQueueCommand
// 24  addPrinter                 none             2      addPrinterCommand
// 25  addPrinterConnection       none             2      addPrinterConnectionCommand
// 26  addPrinterConnectionAsync  window           2      addPrinterConnectionAsyncCommand with
//                                                        the main window's handle; message
//                                                        0x855 -> "addPrinterConnectionAsyncCbk"
// 27  showPrintPreferencesPage   none             2      showPrintPreferencesPageCommand
// 28  showPrinterPropertiesPage  none             2      showPrinterPropertiesPageCommand
// 31  getPrinterInfo             none             0      getPrinterInfoCommand
// 34  checkMMCExists             none             1      checkMMCExistsCommand
//
// Message 0x850 (PrinterAPI::kMsgPrinterChange) carries a PrinterChangePayload: the main window
// calls "notifyPrinterChangeByCpp" with changeInfoToObject(payload->info).
// After each page load the main window calls printerCountChanged() and, when it answers true,
// "notifyPrinterCountByCpp"(count).
namespace PrinterCommands {

// The page object of a printer change record, members in the order the page expects.
webhost::JsValue changeInfoToObject(const PrinterAPI::PrinterChangeInfo& info);

// The page's answer of getPrinterInfo: {"code": n} and, when n is 0, "info".
webhost::JsValue printerInfoAnswer(platform::Spooler& spooler, const QString& queue);

webhost::JsValue printerListCommand(const webhost::JsCall& call);
webhost::JsValue getPrinterInfoCommand(const webhost::JsCall& call);
webhost::JsValue printTestPageCommand(const webhost::JsCall& call);
webhost::JsValue viewPrintQueueCommand(const webhost::JsCall& call);
webhost::JsValue showPrintPreferencesPageCommand(const webhost::JsCall& call);
webhost::JsValue showPrinterPropertiesPageCommand(const webhost::JsCall& call);
webhost::JsValue setDefaultPrinterCommand(const webhost::JsCall& call);
webhost::JsValue sharePrinterCommand(const webhost::JsCall& call);
webhost::JsValue deletePrinterCommand(const webhost::JsCall& call);
webhost::JsValue addPrinterCommand(const webhost::JsCall& call);
webhost::JsValue openManagerCommand(const webhost::JsCall& call);
webhost::JsValue checkMMCExistsCommand(const webhost::JsCall& call);
webhost::JsValue addPrinterConnectionCommand(const webhost::JsCall& call);
webhost::JsValue addPrinterConnectionAsyncCommand(const webhost::JsCall& call,
                                                  webhost::WindowHandle mainWindow);

// Counts the installed queues and connections; true (and `printerCount` updated) when the
// count differs from `printerCount`.
bool printerCountChanged(int& printerCount);

}  // namespace PrinterCommands
