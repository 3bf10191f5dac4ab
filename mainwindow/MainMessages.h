#pragma once

#include "printers/PrinterRecords.h"

namespace mainwindow {

// Messages that background work sends or posts to the main window. Their numbers are the
// contract between the subsystems.
constexpr unsigned kMsgResetAllFinished = 0x84E;  // Kestrune's combined repair ended
constexpr unsigned kMsgPackageFinished = 0x84F;   // wParam: launch result; PackageFinishedPayload
// The printer layer owns its messages' numbers.
constexpr unsigned kMsgPrinterChanged = PrinterAPI::kMsgPrinterChange;  // PrinterChangePayload
constexpr unsigned kTimerInstallMonitor = 0x851;   // WM_TIMER id: open the install monitor
constexpr unsigned kMsgHostSharePrinters = 0x853;  // PageArgumentsPayload; lParam: code
constexpr unsigned kMsgShareQueryResult = 0x854;
constexpr unsigned kMsgPrinterConnectionAdded =
    PrinterAPI::kMsgPrinterConnection;              // wParam: result
constexpr unsigned kMsgShareQueryProgress = 0x856;  // wParam: step, lParam: value
constexpr unsigned kMsgShareResetResult = 0x857;
constexpr unsigned kMsgShareResetProgress = 0x858;  // wParam: step

// The share-environment checks and repairs have this many items.
constexpr int kShareEnvItemCount = 11;

}  // namespace mainwindow
