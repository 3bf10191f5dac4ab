#pragma once

#include <QString>

namespace process {

// Installs the handler that starts the crash reporter "dumper.exe" beside this program when the
// process dies of a fault, with the command line
//   "<program folder>\dumper.exe" <pid> <thread id> <fault information address> <file version>
//   empty <product name>
// and waits for it before the process ends. Everything is prepared here, not at crash time.
void installCrashHandler();

// The product name for the reporter's command line (from config.inf; "printer" until then).
void setCrashReporterProductName(const QString& productName);

}  // namespace process
