#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Win32Error.h"

// SetupAPI and the configuration manager: device information sets, device registry properties
// (SPDRP_*), device properties by key (DEVPKEY_*), device interfaces, re-enumeration of the
// device tree and the registration of a window for device-interface arrival and removal.
namespace platform {

// A GUID, compared and written as Windows does ("{4D36E979-E325-11CE-BFC1-08002BE10318}").
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

    bool isNull() const;
    bool operator==(const Guid& other) const;
    bool operator!=(const Guid& other) const { return !(*this == other); }

    // Upper-case hexadecimal in braces, as StringFromGUID2 writes it.
    std::wstring toString() const;
    // Accepts the braced form in either letter case; false for anything else.
    static bool parse(const std::wstring& text, Guid& guid);
};

namespace dev {

// SetupDiGetClassDevs flags (DIGCF_*).
constexpr std::uint32_t kDigcfDefault = 0x1;
constexpr std::uint32_t kDigcfPresent = 0x2;
constexpr std::uint32_t kDigcfAllClasses = 0x4;
constexpr std::uint32_t kDigcfProfile = 0x8;
constexpr std::uint32_t kDigcfDeviceInterface = 0x10;

// Device registry properties (SPDRP_*), read by SetupDiGetDeviceRegistryProperty.
constexpr std::uint32_t kSpdrpDeviceDesc = 0x00;      // REG_SZ
constexpr std::uint32_t kSpdrpHardwareId = 0x01;      // REG_MULTI_SZ
constexpr std::uint32_t kSpdrpCompatibleIds = 0x02;   // REG_MULTI_SZ
constexpr std::uint32_t kSpdrpService = 0x04;         // REG_SZ
constexpr std::uint32_t kSpdrpClass = 0x07;           // REG_SZ
constexpr std::uint32_t kSpdrpClassGuid = 0x08;       // REG_SZ
constexpr std::uint32_t kSpdrpDriver = 0x09;          // REG_SZ
constexpr std::uint32_t kSpdrpMfg = 0x0B;             // REG_SZ
constexpr std::uint32_t kSpdrpFriendlyName = 0x0C;    // REG_SZ
constexpr std::uint32_t kSpdrpLocationInfo = 0x0D;    // REG_SZ
constexpr std::uint32_t kSpdrpEnumeratorName = 0x16;  // REG_SZ

// Registry value types of those properties (REG_*).
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

// Device property types (DEVPROP_TYPE_*).
constexpr std::uint32_t kPropTypeEmpty = 0x0;
constexpr std::uint32_t kPropTypeUint32 = 0x7;
constexpr std::uint32_t kPropTypeGuid = 0xD;
constexpr std::uint32_t kPropTypeBoolean = 0x11;
constexpr std::uint32_t kPropTypeString = 0x12;
constexpr std::uint32_t kPropTypeSecurityDescriptorString = 0x14;
constexpr std::uint32_t kPropTypeStringList = 0x2012;  // DEVPROP_TYPEMOD_LIST | STRING

// SP_DEVICE_INTERFACE_DATA flags.
constexpr std::uint32_t kSpintActive = 0x1;

// WM_DEVICECHANGE and its events for device interfaces (dbt.h).
constexpr unsigned kWmDeviceChange = 0x0219;
constexpr std::uint32_t kDbtDeviceArrival = 0x8000;
constexpr std::uint32_t kDbtDeviceRemoveComplete = 0x8004;
constexpr std::uint32_t kDbtDevtypDeviceInterface = 5;

// Configuration manager results (CONFIGRET, CR_*).
using ConfigRet = std::uint32_t;
constexpr ConfigRet kCrSuccess = 0x00;
constexpr ConfigRet kCrInvalidFlag = 0x04;
constexpr ConfigRet kCrInvalidDevNode = 0x05;
constexpr ConfigRet kCrNoSuchDevNode = 0x0D;
constexpr ConfigRet kCrFailure = 0x13;
constexpr ConfigRet kCrAccessDenied = 0x33;

// CM_Locate_DevNode and CM_Reenumerate_DevNode flags.
constexpr std::uint32_t kCmLocateDevNodeNormal = 0x0;
constexpr std::uint32_t kCmLocateDevNodePhantom = 0x1;
constexpr std::uint32_t kCmReenumerateNormal = 0x0;
constexpr std::uint32_t kCmReenumerateSynchronous = 0x1;
constexpr std::uint32_t kCmReenumerateRetryInstallation = 0x2;
constexpr std::uint32_t kCmReenumerateAsynchronous = 0x4;

// Errors specific to SetupAPI, besides those of Win32Error.h.
constexpr win32::Error kErrorNotFound = 1168;  // a device property that is not set
constexpr win32::Error kErrorInvalidFlags = 1004;
constexpr win32::Error kErrorNoSuchDevinst = 0xE000020B;  // ERROR_NO_SUCH_DEVINST

}  // namespace dev

// DEVPROPKEY.
struct DevPropKey {
    Guid fmtid;
    std::uint32_t pid = 0;

    bool operator==(const DevPropKey& other) const {
        return fmtid == other.fmtid && pid == other.pid;
    }
};

// The device property keys this product reads (devpkey.h).
namespace devpkey {
extern const DevPropKey kName;
extern const DevPropKey kDeviceDesc;
extern const DevPropKey kHardwareIds;
extern const DevPropKey kCompatibleIds;
extern const DevPropKey kService;
extern const DevPropKey kClass;
extern const DevPropKey kClassGuid;
extern const DevPropKey kDriver;
extern const DevPropKey kManufacturer;
extern const DevPropKey kFriendlyName;
extern const DevPropKey kLocationInfo;
extern const DevPropKey kEnumeratorName;
extern const DevPropKey kInstanceId;
extern const DevPropKey kParent;
extern const DevPropKey kProblemCode;
extern const DevPropKey kDevNodeStatus;
extern const DevPropKey kContainerId;
extern const DevPropKey kBusReportedDeviceDesc;
extern const DevPropKey kDriverDesc;
extern const DevPropKey kDriverProvider;
extern const DevPropKey kIsPresent;  // Windows 8 and later
extern const DevPropKey kDeviceInterfaceFriendlyName;
}  // namespace devpkey

// A property's value with its type: a REG_* type for registry properties, a DEVPROP_TYPE_* for
// device properties. Only the member of the type is meaningful.
struct DeviceValue {
    std::uint32_t type = 0;
    std::wstring text;                  // REG_SZ, DEVPROP_TYPE_STRING and the security string
    std::vector<std::wstring> strings;  // REG_MULTI_SZ, DEVPROP_TYPE_STRING_LIST
    std::uint64_t number = 0;           // REG_DWORD, REG_QWORD, UINT32, BOOLEAN (0 or 1)
    Guid guid;                          // DEVPROP_TYPE_GUID
};

// SP_DEVINFO_DATA: one device of a set. `devInst` is the device's node handle.
struct DeviceInfoData {
    Guid classGuid;
    std::uint32_t devInst = 0;
};

// SP_DEVICE_INTERFACE_DATA with the device path of SetupDiGetDeviceInterfaceDetail and the
// device it belongs to.
struct DeviceInterfaceData {
    Guid interfaceClassGuid;
    std::uint32_t flags = 0;
    std::wstring devicePath;
    DeviceInfoData device;
};

// A device information set (HDEVINFO); destroyed with the object
// (SetupDiDestroyDeviceInfoList). Devices keep the order the system enumerates them in.
class DeviceInfoSet {
public:
    virtual ~DeviceInfoSet() = default;

    // SetupDiEnumDeviceInfo: kNoMoreItems past the last device.
    virtual win32::Error enumDeviceInfo(std::uint32_t index, DeviceInfoData& device) = 0;
    // SetupDiGetDeviceInstanceId.
    virtual win32::Error deviceInstanceId(const DeviceInfoData& device, std::wstring& id) = 0;
    // SetupDiGetDeviceRegistryProperty: kInvalidData when the device does not have the
    // property, kInvalidParameter for a property code the system does not know.
    virtual win32::Error registryProperty(const DeviceInfoData& device, std::uint32_t property,
                                          DeviceValue& value) = 0;
    // SetupDiGetDeviceProperty: dev::kErrorNotFound when the device does not have the property.
    virtual win32::Error deviceProperty(const DeviceInfoData& device, const DevPropKey& key,
                                        DeviceValue& value) = 0;

    // SetupDiEnumDeviceInterfaces over the whole set (a set asked for with
    // kDigcfDeviceInterface): kNoMoreItems past the last interface of the class.
    virtual win32::Error enumDeviceInterfaces(const Guid& interfaceClass, std::uint32_t index,
                                              DeviceInterfaceData& data) = 0;
    // SetupDiGetDeviceInterfaceProperty: dev::kErrorNotFound when the interface does not have
    // the property.
    virtual win32::Error interfaceProperty(const DeviceInterfaceData& data, const DevPropKey& key,
                                           DeviceValue& value) = 0;
};

// A window's registration for device-interface notifications (RegisterDeviceNotification);
// unregistered with the object (UnregisterDeviceNotification).
class DeviceNotification {
public:
    virtual ~DeviceNotification() = default;
};

// DEV_BROADCAST_DEVICEINTERFACE: what a WM_DEVICECHANGE for a device interface points to.
struct DeviceInterfaceBroadcast {
    std::uint32_t deviceType = dev::kDbtDevtypDeviceInterface;
    Guid classGuid;
    std::wstring name;  // the interface's device path
};

// Where WM_DEVICECHANGE goes. Windows sends it to the registered window itself; a backend that
// stands in for the system hands it to the window host of this process, which installs its
// sink here before it registers windows. Called from any thread; the sink queues the message
// to the window's thread. Without a sink the notifications are dropped.
class DeviceChangeSink {
public:
    virtual ~DeviceChangeSink() = default;
    virtual void deviceChange(std::intptr_t window, std::uint32_t event,
                              const DeviceInterfaceBroadcast& broadcast) = 0;
};

class Devices {
public:
    virtual ~Devices() = default;

    // SetupDiGetClassDevs: the devices of one setup class (`classGuid`), or of all classes with
    // kDigcfAllClasses (`classGuid` is then ignored and may be null); with
    // kDigcfDeviceInterface `classGuid` is an interface class and the set holds the devices
    // that expose such an interface. kDigcfPresent keeps present devices only. Without a class
    // and without kDigcfAllClasses: kInvalidParameter.
    virtual win32::Error classDevices(const Guid* classGuid, std::uint32_t flags,
                                      std::unique_ptr<DeviceInfoSet>& set) = 0;

    // CM_Locate_DevNode: the node of `instanceId`, the root of the tree when it is empty.
    // kCrNoSuchDevNode for an unknown ID, or (without kCmLocateDevNodePhantom) one that is not
    // present.
    virtual dev::ConfigRet locateDevNode(const std::wstring& instanceId, std::uint32_t flags,
                                         std::uint32_t& devInst) = 0;
    // CM_Reenumerate_DevNode: asks the bus drivers below the node for their children again.
    // kCrAccessDenied without the right to load drivers (an unelevated process).
    virtual dev::ConfigRet reenumerateDevNode(std::uint32_t devInst, std::uint32_t flags) = 0;

    // RegisterDeviceNotification(window, device-interface filter for `interfaceClass`,
    // window handle): the window receives WM_DEVICECHANGE with kDbtDeviceArrival and
    // kDbtDeviceRemoveComplete for every interface of the class that comes or goes.
    virtual win32::Error registerDeviceNotification(
        std::intptr_t window, const Guid& interfaceClass,
        std::unique_ptr<DeviceNotification>& registration) = 0;
};

// The Devices of the system this process runs on (see Platform.h).
Devices& devices();

// Installs the sink for WM_DEVICECHANGE (see DeviceChangeSink); null removes it. The sink
// must outlive its installation.
void setDeviceChangeSink(DeviceChangeSink* sink);
DeviceChangeSink* deviceChangeSink();

}  // namespace platform
