#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>

namespace platform {
class Registry;
class Spooler;
}  // namespace platform

// The actions on one installed queue and on the PC's printer set-up. Results are Win32 codes,
// 0 for success.
namespace PrinterAPI {

// Starts rundll32 with the parameters and returns at once (ShellExecute "open").
quint32 runPrintUi(const QString& arguments);
// Starts rundll32 with the parameters on a detached thread that waits for it, so the UI stays
// responsive while a wizard is open. A process that cannot be started is reported on standard
// output only.
void runPrintUiAndWait(const QString& arguments);

// The printui commands: 1801 for a name printui could not be given safely (see
// isPrintUiSafeName), else runPrintUi's code.
quint32 printTestPage(const QString& queue);
quint32 viewPrintQueue(const QString& queue);
quint32 showPrintPreferences(const QString& queue);
quint32 showPrinterProperties(const QString& queue);

bool setDefaultPrinter(platform::Spooler& spooler, const QString& queue);
// Shares the queue under its own name, or stops sharing it.
quint32 setQueueShared(platform::Spooler& spooler, const QString& queue, bool share);
// A connection (to another PC's queue) loses only the connection; a local queue is deleted.
quint32 deleteQueue(platform::Spooler& spooler, const QString& queue, bool connection);

// addPrinter: wizards 0-2 and other numbers run printui on a thread; 3 shows the connect
// dialog on the calling (UI) thread.
void addPrinter(platform::Spooler& spooler, std::intptr_t ownerWindow, int wizard);

// openManager: 0 the print management console (elevated), 1 the device manager, 2 the Control
// Panel's printers. 536870913 when fewer than two arguments were given; 87 for another console.
constexpr quint32 kTooFewArguments = 536870913;
quint32 openManager(int argumentCount, int console);

// Whether a snap-in named "Print Management" (console 0) or "Device Manager" (console 1) is
// registered. The names are read once per process and kept, reloaded only while none was found.
bool checkMMCExists(platform::Registry& registry, int console);

}  // namespace PrinterAPI
