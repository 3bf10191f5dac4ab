#pragma once

#include "webhost/JsValue.h"

namespace mainwindow {

class MainBlkWindow;

// The page commands of the main window, grouped by the subsystem they drive. Each reads its
// arguments by position and answers as the page expects.
namespace commands {

using webhost::JsCall;
using webhost::JsValue;

// The printer list on a worker thread.
JsValue enumPrinters(const JsCall& call, MainBlkWindow& window);

// PC information and the share-environment mutes.
JsValue startGetPcinfo(const JsCall& call, MainBlkWindow& window);
JsValue endQueryShareEnv(const JsCall& call, MainBlkWindow& window);
JsValue endResetShareEnv(const JsCall& call, MainBlkWindow& window);

// The share-environment checks and repairs.
JsValue queryShareEnv(const JsCall& call, MainBlkWindow& window);
JsValue queryShareEnvAsync(const JsCall& call, MainBlkWindow& window);
JsValue resetShareEnvAsync(const JsCall& call, MainBlkWindow& window);

// Download folder and driver packages.
JsValue downDir(const JsCall& call, MainBlkWindow& window);
JsValue installDriverPackage(const JsCall& call, MainBlkWindow& window);
JsValue exec(const JsCall& call, MainBlkWindow& window);

// The printer scans and the PC's own addresses.
JsValue startScan(const JsCall& call, MainBlkWindow& window);
JsValue interrupt(const JsCall& call, MainBlkWindow& window);
JsValue setNetDevOverCountUserHandle(const JsCall& call, MainBlkWindow& window);
JsValue getLocalIps(const JsCall& call, MainBlkWindow& window);

// Print-system maintenance: checks and Kestrune's repairs.
JsValue checkPrinterSpool(const JsCall& call, MainBlkWindow& window);
JsValue checkOcrFont(const JsCall& call, MainBlkWindow& window);
JsValue checkFirewall(const JsCall& call, MainBlkWindow& window);
JsValue checkPrinterSharing(const JsCall& call, MainBlkWindow& window);
JsValue checkPrinterQueue(const JsCall& call, MainBlkWindow& window);
JsValue restartPrinterSpool(const JsCall& call, MainBlkWindow& window);
JsValue installOcrFont(const JsCall& call, MainBlkWindow& window);
JsValue enableFirewall(const JsCall& call, MainBlkWindow& window);
JsValue enablePrinterSharing(const JsCall& call, MainBlkWindow& window);
JsValue cleanPrinterQueue(const JsCall& call, MainBlkWindow& window);
JsValue resetSpoolFirewallQueue(const JsCall& call, MainBlkWindow& window);
// USB detection's service filter.
JsValue setUSBServiceFilter(const JsCall& call, MainBlkWindow& window);

// Another PC's shared printers and logging on to it.
JsValue getHostSharePrinter(const JsCall& call, MainBlkWindow& window);
JsValue netAddConnection(const JsCall& call, MainBlkWindow& window);
JsValue netCancelConnection(const JsCall& call, MainBlkWindow& window);

}  // namespace commands

// Opens the window that follows the installation of the watched USB printer.
void openInstallMonitor(MainBlkWindow& owner);

}  // namespace mainwindow
