// The one place this build's platform facilities come from on Windows: the real API. Each is
// made on first use and never deleted, since detached threads may still use one while the
// process exits.
#include "Backend.h"
#include "platform/Platform.h"

namespace platform {

std::wstring startupError() {
    return {};
}

Registry& registry() {
    static Registry* const instance = win32::makeRegistry().release();
    return *instance;
}

SystemInfo& systemInfo() {
    static SystemInfo* const instance = win32::makeSystemInfo().release();
    return *instance;
}

FileSystem& fileSystem() {
    static FileSystem* const instance = win32::makeFileSystem().release();
    return *instance;
}

Processes& processes() {
    static Processes* const instance = win32::makeProcesses().release();
    return *instance;
}

Spooler& spooler() {
    static Spooler* const instance = win32::makeSpooler().release();
    return *instance;
}

Wmi& wmi() {
    static Wmi* const instance = win32::makeWmi().release();
    return *instance;
}

Services& services() {
    static Services* const instance = win32::makeServices().release();
    return *instance;
}

Firewall& firewall() {
    static Firewall* const instance = win32::makeFirewall().release();
    return *instance;
}

Devices& devices() {
    static Devices* const instance = win32::makeDevices().release();
    return *instance;
}

IpHelper& ipHelper() {
    static IpHelper* const instance = win32::makeIpHelper().release();
    return *instance;
}

Lsa& lsa() {
    static Lsa* const instance = win32::makeLsa().release();
    return *instance;
}

LocalUsers& localUsers() {
    static LocalUsers* const instance = win32::makeLocalUsers().release();
    return *instance;
}

NetConnections& netConnections() {
    static NetConnections* const instance = win32::makeNetConnections().release();
    return *instance;
}

NetworkConfig& networkConfig() {
    static NetworkConfig* const instance = win32::makeNetworkConfig().release();
    return *instance;
}

NetworkList& networkList() {
    static NetworkList* const instance = win32::makeNetworkList().release();
    return *instance;
}

Fonts& fonts() {
    static Fonts* const instance = win32::makeFonts().release();
    return *instance;
}

}  // namespace platform
