#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/SystemInfo.h"
#include "platform/Win32Error.h"
#include "platform/Wmi.h"

// The pieces of the Windows backend, put together by Win32Platform.cpp (the one place the
// platform accessors come from on Windows). Nothing here names a Windows type.
namespace platform::win32 {

// ERROR_CALL_NOT_IMPLEMENTED: what a call answers that failed without saying why (Wine's stubs
// of EnumJobs and FindFirstPrinterChangeNotification do so).
constexpr Error kCallNotImplemented = 120;

// The calling thread's last error (GetLastError), the one place a failed call's reason is read.
Error lastError();
// An error kept in the calling thread's last error (SetLastError), for callers that read it.
void setLastError(Error error);

// True when this process runs under Wine (ntdll exports wine_get_version). Calls Wine lacks
// end the process instead of failing, so the backend asks before making them.
bool runningUnderWine();

std::unique_ptr<Registry> makeRegistry();
std::unique_ptr<SystemInfo> makeSystemInfo();
std::unique_ptr<FileSystem> makeFileSystem();
std::unique_ptr<Processes> makeProcesses();
std::unique_ptr<Spooler> makeSpooler();
std::unique_ptr<Wmi> makeWmi();

}  // namespace platform::win32
