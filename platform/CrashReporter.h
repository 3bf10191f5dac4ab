#pragma once

#include <string>

// Starting the crash reporter when the process dies of a fault. Everything the reporter's
// command line needs is handed over beforehand: at the time of the crash nothing may be
// allocated or looked up.
namespace platform {

struct CrashReporterCommand {
    // The reporter program (a path of this machine).
    std::wstring program;
    // The program's file version, "major.minor.build.revision".
    std::wstring fileVersion;
    std::wstring productName;
};

// Installs the handler. On a crash it starts
//   program <pid> <thread id> <address of the fault information> <fileVersion> empty <productName>
// waits for the reporter to exit, and lets the process die as it would have.
void installCrashReporter(const CrashReporterCommand& command);

// Replaces the product name given to the reporter (the product settings are read after start-up).
void setCrashReporterProductName(const std::wstring& productName);

}  // namespace platform
