#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/HResult.h"

namespace platform {

// The network configuration (INetCfg): the network components of the PC by class, and the
// install of protocols under the write lock.
namespace netcfg {
constexpr HResult kAlreadyInitialized = static_cast<HResult>(0x8004A020);  // NETCFG_E_*
constexpr HResult kNotInitialized = static_cast<HResult>(0x8004A021);
constexpr HResult kInUse = static_cast<HResult>(0x8004A022);
constexpr HResult kNoWriteLock = static_cast<HResult>(0x8004A024);
constexpr HResult kRebootNeeded = static_cast<HResult>(0x0004A020);  // NETCFG_S_REBOOT
// SPAPI_E_NO_DRIVER_SELECTED: Install of an id no driver package of the PC provides.
constexpr HResult kNoDriverSelected = static_cast<HResult>(0x800F0203);

// The component classes (GUID_DEVCLASS_*) that matter here.
enum class ComponentClass { Adapter, Protocol, Service, Client };
}  // namespace netcfg

// One component as INetCfgComponent tells it.
struct NetComponent {
    std::wstring id;                                                           // GetId, "ms_tcpip"
    std::wstring displayName;                                                  // GetDisplayName
    netcfg::ComponentClass componentClass = netcfg::ComponentClass::Protocol;  // GetClassGuid
    std::uint32_t deviceStatus = 0;  // GetDeviceStatus (CM_PROB_*), adapters only; 0: working
};

// One INetCfg object. Its write lock (INetCfgLock) is the one of the whole PC: while another
// program holds it, acquiring waits up to the time-out and then answers S_FALSE with the
// holder's description. Install and apply need the lock and an initialised object; the changes
// take effect at apply; uninitialize drops what was not applied.
class NetCfgSession {
public:
    virtual ~NetCfgSession() = default;
    // INetCfgLock::AcquireWriteLock: E_ACCESSDENIED for a process that is not elevated.
    virtual HResult acquireWriteLock(std::uint32_t timeoutMs, const std::wstring& client,
                                     std::wstring& holder) = 0;
    virtual HResult releaseWriteLock() = 0;
    virtual HResult initialize() = 0;
    virtual HResult uninitialize() = 0;
    // QueryNetCfgClass + EnumComponents: the components of one class, in the PC's order.
    virtual HResult components(netcfg::ComponentClass componentClass,
                               std::vector<NetComponent>& list) = 0;
    // INetCfgClassSetup::Install of a protocol (OBO_USER): S_OK or NETCFG_S_REBOOT.
    virtual HResult installProtocol(const std::wstring& id) = 0;
    virtual HResult apply() = 0;
};

class NetworkConfig {
public:
    virtual ~NetworkConfig() = default;
    // CoCreateInstance(CLSID_CNetCfg, IID_INetCfg).
    virtual HResult create(std::unique_ptr<NetCfgSession>& session) = 0;
};

// The network configuration of the system this process runs on (see Platform.h).
NetworkConfig& networkConfig();

}  // namespace platform
