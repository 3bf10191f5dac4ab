#pragma once

#include <memory>
#include <string>

#include "platform/Devices.h"
#include "platform/FileSystem.h"
#include "platform/Firewall.h"
#include "platform/Fonts.h"
#include "platform/IpHelper.h"
#include "platform/LocalUsers.h"
#include "platform/Lsa.h"
#include "platform/NetConnections.h"
#include "platform/NetworkConfig.h"
#include "platform/NetworkList.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Services.h"
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
// The reason a call that just failed gives: its last error, or kCallNotImplemented when it left
// none (as Wine's unfinished calls do), so that a failure never reads as success.
Error failureReason();
// An error kept in the calling thread's last error (SetLastError), for callers that read it.
void setLastError(Error error);

// True when this process runs under Wine (ntdll exports wine_get_version). Calls Wine lacks
// end the process instead of failing, so the backend asks before making them.
bool runningUnderWine();

// The address of `function` in the system library `module` (loaded on first use), or null when
// the library does not export it. For calls newer than Windows 7 or missing from Wine: linking
// them directly would keep the whole program from loading where they are absent.
void* systemFunction(const wchar_t* module, const char* function);

// The same address as a typed function pointer.
template <class Function>
Function systemFunctionAs(const wchar_t* module, const char* function) {
    return reinterpret_cast<Function>(systemFunction(module, function));
}

std::unique_ptr<Registry> makeRegistry();
std::unique_ptr<SystemInfo> makeSystemInfo();
std::unique_ptr<FileSystem> makeFileSystem();
std::unique_ptr<Processes> makeProcesses();
std::unique_ptr<Spooler> makeSpooler();
std::unique_ptr<Wmi> makeWmi();
std::unique_ptr<Services> makeServices();
std::unique_ptr<Firewall> makeFirewall();
std::unique_ptr<Devices> makeDevices();
std::unique_ptr<IpHelper> makeIpHelper();
std::unique_ptr<Lsa> makeLsa();
std::unique_ptr<LocalUsers> makeLocalUsers();
std::unique_ptr<NetConnections> makeNetConnections();
std::unique_ptr<NetworkConfig> makeNetworkConfig();
std::unique_ptr<NetworkList> makeNetworkList();
std::unique_ptr<Fonts> makeFonts();

}  // namespace platform::win32
