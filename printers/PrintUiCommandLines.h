#pragma once

#include <QString>

// The parameter texts given to rundll32 for the Windows printer user interface (printui.dll's
// PrintUIEntry). Pure text builders; the launchers are in PrinterActions.h.
namespace PrinterAPI {

constexpr const char* kRundll32Path = "C:\\Windows\\System32\\rundll32.exe";

// printui reads the queue name between double quotes; a name with a double quote in it would
// end the quoted text early and the rest would be read as further options. Such a name is
// refused (1801, the spooler's invalid printer name) before anything is started.
bool isPrintUiSafeName(const QString& queue);

QString testPageArguments(const QString& queue);     // /k  /n"Q"  /b "Test Page"
QString queueWindowArguments(const QString& queue);  // /o  /n"Q" (ends in a space)
QString preferencesArguments(const QString& queue);  // /e /n "Q"
QString propertiesArguments(const QString& queue);   // /p /n "Q"

// The add-printer wizards of addPrinter: 0 local printer (/il), 1 network printer (/ip),
// 2 the wizard for the machine (/im); any other number gives an empty text.
QString wizardArguments(int wizard);

// The command line that runs rundll32 with `arguments`.
QString rundll32CommandLine(const QString& arguments);

}  // namespace PrinterAPI
