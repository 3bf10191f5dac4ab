// SetupAPI and the configuration manager: device information sets are HDEVINFOs destroyed by
// RAII, each property read grows its buffer until the value fits, notifications are
// unregistered with their object.
#include <windows.h>
// (windows.h first: the SetupAPI headers need its types.)
#include <cfgmgr32.h>
#include <dbt.h>
#include <devpropdef.h>
#include <setupapi.h>

#include <map>
#include <vector>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueDeviceInfo = Unique<HDEVINFO, SetupDiDestroyDeviceInfoList>;
using UniqueNotification = Unique<HDEVNOTIFY, UnregisterDeviceNotification>;

// Calls of Windows Vista and later, looked up at run time: mingw-w64 declares no
// SetupDiGetDeviceInterfacePropertyW, and Wine lacks some of them.
using GetDevicePropertyFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*,
                                                DEVPROPTYPE*, PBYTE, DWORD, PDWORD, DWORD);
using GetInterfacePropertyFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                                   const DEVPROPKEY*, DEVPROPTYPE*, PBYTE, DWORD,
                                                   PDWORD, DWORD);
// SetupDiGetDeviceRegistryProperty's answer for a property code it does not know; callers see
// ERROR_INVALID_PARAMETER, as for any other argument the system refuses.
constexpr Error kErrorInvalidRegProperty = 0xE0000209;  // ERROR_INVALID_REG_PROPERTY
constexpr std::uint8_t kDevPropTrue = 0xFF;             // DEVPROP_TRUE

GUID toGuid(const Guid& guid) {
    GUID result{};
    result.Data1 = guid.data1;
    result.Data2 = guid.data2;
    result.Data3 = guid.data3;
    for (int i = 0; i < 8; ++i) {
        result.Data4[i] = guid.data4[i];
    }
    return result;
}

Guid fromGuid(const GUID& guid) {
    Guid result;
    result.data1 = guid.Data1;
    result.data2 = guid.Data2;
    result.data3 = guid.Data3;
    for (int i = 0; i < 8; ++i) {
        result.data4[i] = guid.Data4[i];
    }
    return result;
}

DEVPROPKEY toPropertyKey(const DevPropKey& key) {
    DEVPROPKEY result{};
    result.fmtid = toGuid(key.fmtid);
    result.pid = key.pid;
    return result;
}

// UTF-16 text of `bytes` up to its first null (or its end).
std::wstring textOf(const std::vector<BYTE>& bytes, DWORD size) {
    const auto* text = reinterpret_cast<const wchar_t*>(bytes.data());
    std::size_t length = 0;
    const std::size_t limit = size / sizeof(wchar_t);
    while (length < limit && text[length] != L'\0') {
        ++length;
    }
    return std::wstring(text, length);
}

// The strings of a REG_MULTI_SZ or DEVPROP_TYPE_STRING_LIST, up to the empty one.
std::vector<std::wstring> stringsOf(const std::vector<BYTE>& bytes, DWORD size) {
    std::vector<std::wstring> strings;
    const auto* text = reinterpret_cast<const wchar_t*>(bytes.data());
    const std::size_t limit = size / sizeof(wchar_t);
    std::size_t at = 0;
    while (at < limit && text[at] != L'\0') {
        std::size_t end = at;
        while (end < limit && text[end] != L'\0') {
            ++end;
        }
        strings.emplace_back(text + at, end - at);
        at = end + 1;
    }
    return strings;
}

std::uint64_t numberOf(const std::vector<BYTE>& bytes, DWORD size) {
    std::uint64_t value = 0;
    for (DWORD i = 0; i < size && i < sizeof value; ++i) {
        value |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    return value;
}

DeviceValue registryValueOf(DWORD type, const std::vector<BYTE>& bytes, DWORD size) {
    DeviceValue value;
    value.type = type;
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            value.text = textOf(bytes, size);
            break;
        case REG_MULTI_SZ:
            value.strings = stringsOf(bytes, size);
            break;
        case REG_DWORD:
        case REG_QWORD:
            value.number = numberOf(bytes, size);
            break;
        default:
            break;
    }
    return value;
}

DeviceValue propertyValueOf(DEVPROPTYPE type, const std::vector<BYTE>& bytes, DWORD size) {
    DeviceValue value;
    value.type = type;
    switch (type) {
        case DEVPROP_TYPE_STRING:
        case DEVPROP_TYPE_SECURITY_DESCRIPTOR_STRING:
            value.text = textOf(bytes, size);
            break;
        case DEVPROP_TYPE_STRING_LIST:
            value.strings = stringsOf(bytes, size);
            break;
        case DEVPROP_TYPE_UINT32:
            value.number = numberOf(bytes, size);
            break;
        case DEVPROP_TYPE_BOOLEAN:
            value.number = size >= 1 && bytes[0] == kDevPropTrue ? 1 : 0;
            break;
        case DEVPROP_TYPE_GUID:
            if (size >= sizeof(GUID)) {
                value.guid = fromGuid(*reinterpret_cast<const GUID*>(bytes.data()));
            }
            break;
        default:
            break;
    }
    return value;
}

// Calls `read(buffer, size, &required)` until the value fits: a first call with no buffer
// answers ERROR_INSUFFICIENT_BUFFER with the size needed, and the value may grow in between.
template <class Read>
Error readGrowing(std::vector<BYTE>& buffer, DWORD& size, Read read) {
    buffer.assign(sizeof(wchar_t), 0);
    for (;;) {
        DWORD required = 0;
        if (read(buffer.data(), static_cast<DWORD>(buffer.size()), &required)) {
            size = required != 0 ? std::min<DWORD>(required, static_cast<DWORD>(buffer.size()))
                                 : static_cast<DWORD>(buffer.size());
            return kSuccess;
        }
        const Error error = failureReason();
        if (error == kErrorInvalidRegProperty) {
            return kInvalidParameter;
        }
        if (error != kInsufficientBuffer || required <= buffer.size()) {
            return error;
        }
        buffer.assign(required, 0);
    }
}

// The device property keys that have a device registry property of the same meaning, for
// systems without SetupDiGetDevicePropertyW.
struct RegistryEquivalent {
    const DevPropKey* key;
    DWORD property;
};
const RegistryEquivalent kRegistryEquivalents[] = {
    {&devpkey::kDeviceDesc, SPDRP_DEVICEDESC},
    {&devpkey::kHardwareIds, SPDRP_HARDWAREID},
    {&devpkey::kCompatibleIds, SPDRP_COMPATIBLEIDS},
    {&devpkey::kService, SPDRP_SERVICE},
    {&devpkey::kClass, SPDRP_CLASS},
    {&devpkey::kDriver, SPDRP_DRIVER},
    {&devpkey::kManufacturer, SPDRP_MFG},
    {&devpkey::kFriendlyName, SPDRP_FRIENDLYNAME},
    {&devpkey::kLocationInfo, SPDRP_LOCATION_INFORMATION},
    {&devpkey::kEnumeratorName, SPDRP_ENUMERATOR_NAME},
};

// A registry property as the device property of the same meaning would give it.
DeviceValue asDeviceProperty(const DeviceValue& registry) {
    DeviceValue value = registry;
    switch (registry.type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            value.type = DEVPROP_TYPE_STRING;
            break;
        case REG_MULTI_SZ:
            value.type = DEVPROP_TYPE_STRING_LIST;
            break;
        case REG_DWORD:
            value.type = DEVPROP_TYPE_UINT32;
            break;
        default:
            break;
    }
    return value;
}

class Win32DeviceInfoSet final : public DeviceInfoSet {
public:
    explicit Win32DeviceInfoSet(UniqueDeviceInfo set) : set_(std::move(set)) {}

    Error enumDeviceInfo(std::uint32_t index, DeviceInfoData& device) override {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInfo(set_.get(), index, &data)) {
            return failureReason();
        }
        device = remember(data);
        return kSuccess;
    }

    Error deviceInstanceId(const DeviceInfoData& device, std::wstring& id) override {
        SP_DEVINFO_DATA* data = find(device);
        if (data == nullptr) {
            return kInvalidParameter;
        }
        std::vector<BYTE> buffer;
        DWORD size = 0;
        const Error error =
            readGrowing(buffer, size, [&](BYTE* bytes, DWORD bytesSize, DWORD* required) {
                DWORD requiredChars = 0;
                const BOOL done =
                    SetupDiGetDeviceInstanceIdW(set_.get(), data, reinterpret_cast<PWSTR>(bytes),
                                                bytesSize / sizeof(wchar_t), &requiredChars);
                *required = requiredChars * sizeof(wchar_t);
                return done;
            });
        if (error == kSuccess) {
            id = textOf(buffer, static_cast<DWORD>(buffer.size()));
        }
        return error;
    }

    Error registryProperty(const DeviceInfoData& device, std::uint32_t property,
                           DeviceValue& value) override {
        SP_DEVINFO_DATA* data = find(device);
        if (data == nullptr) {
            return kInvalidParameter;
        }
        std::vector<BYTE> buffer;
        DWORD size = 0;
        DWORD type = 0;
        const Error error =
            readGrowing(buffer, size, [&](BYTE* bytes, DWORD bytesSize, DWORD* required) {
                return SetupDiGetDeviceRegistryPropertyW(set_.get(), data, property, &type, bytes,
                                                         bytesSize, required);
            });
        if (error == kSuccess) {
            value = registryValueOf(type, buffer, size);
        }
        return error;
    }

    Error deviceProperty(const DeviceInfoData& device, const DevPropKey& key,
                         DeviceValue& value) override {
        SP_DEVINFO_DATA* data = find(device);
        if (data == nullptr) {
            return kInvalidParameter;
        }
        static const auto getDeviceProperty = systemFunctionAs<GetDevicePropertyFunction>(
            L"setupapi.dll", "SetupDiGetDevicePropertyW");
        const Error error = getDeviceProperty != nullptr
                                ? readDeviceProperty(getDeviceProperty, *data, key, value)
                                : kCallNotImplemented;
        // Wine answers only the device properties stored under a device's own key (those set
        // with SetupDiSetDeviceProperty), not the ones Windows derives such as the hardware IDs;
        // where the same value is a device registry property, that one is read instead.
        if (error != kSuccess && (getDeviceProperty == nullptr || runningUnderWine())) {
            return registryEquivalent(device, key, value, error);
        }
        return error;
    }

    Error enumDeviceInterfaces(const Guid& interfaceClass, std::uint32_t index,
                               DeviceInterfaceData& result) override {
        const GUID guid = toGuid(interfaceClass);
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set_.get(), nullptr, &guid, index, &data)) {
            return failureReason();
        }
        std::wstring path;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (const Error error = interfaceDetail(data, path, device)) {
            return error;
        }
        result.interfaceClassGuid = fromGuid(data.InterfaceClassGuid);
        result.flags = data.Flags;
        result.devicePath = path;
        result.device = remember(device);
        interfaces_[path] = data;
        return kSuccess;
    }

    Error interfaceProperty(const DeviceInterfaceData& data, const DevPropKey& key,
                            DeviceValue& value) override {
        const auto found = interfaces_.find(data.devicePath);
        if (found == interfaces_.end()) {
            return kInvalidParameter;
        }
        static const auto getInterfaceProperty = systemFunctionAs<GetInterfacePropertyFunction>(
            L"setupapi.dll", "SetupDiGetDeviceInterfacePropertyW");
        if (getInterfaceProperty == nullptr) {
            return kCallNotImplemented;
        }
        const DEVPROPKEY propertyKey = toPropertyKey(key);
        std::vector<BYTE> buffer;
        DWORD size = 0;
        DEVPROPTYPE type = 0;
        const Error error =
            readGrowing(buffer, size, [&](BYTE* bytes, DWORD bytesSize, DWORD* required) {
                return getInterfaceProperty(set_.get(), &found->second, &propertyKey, &type, bytes,
                                            bytesSize, required, 0);
            });
        if (error == kSuccess) {
            value = propertyValueOf(type, buffer, size);
        }
        return error;
    }

private:
    // SetupAPI finds a device of the set by the SP_DEVINFO_DATA it handed out (its Reserved
    // member), so each is kept and found again by the device's node.
    DeviceInfoData remember(const SP_DEVINFO_DATA& data) {
        devices_[data.DevInst] = data;
        DeviceInfoData device;
        device.classGuid = fromGuid(data.ClassGuid);
        device.devInst = data.DevInst;
        return device;
    }

    SP_DEVINFO_DATA* find(const DeviceInfoData& device) {
        const auto found = devices_.find(device.devInst);
        return found != devices_.end() ? &found->second : nullptr;
    }

    Error readDeviceProperty(GetDevicePropertyFunction getDeviceProperty, SP_DEVINFO_DATA& data,
                             const DevPropKey& key, DeviceValue& value) {
        const DEVPROPKEY propertyKey = toPropertyKey(key);
        std::vector<BYTE> buffer;
        DWORD size = 0;
        DEVPROPTYPE type = 0;
        const Error error =
            readGrowing(buffer, size, [&](BYTE* bytes, DWORD bytesSize, DWORD* required) {
                return getDeviceProperty(set_.get(), &data, &propertyKey, &type, bytes, bytesSize,
                                         required, 0);
            });
        if (error == kSuccess) {
            value = propertyValueOf(type, buffer, size);
        }
        return error;
    }

    // The device registry property standing for `key`; `otherwise` when there is none.
    Error registryEquivalent(const DeviceInfoData& device, const DevPropKey& key,
                             DeviceValue& value, Error otherwise) {
        if (key == devpkey::kInstanceId) {
            DeviceValue id;
            id.type = DEVPROP_TYPE_STRING;
            const Error error = deviceInstanceId(device, id.text);
            if (error == kSuccess) {
                value = id;
            }
            return error;
        }
        for (const RegistryEquivalent& equivalent : kRegistryEquivalents) {
            if (*equivalent.key == key) {
                DeviceValue registry;
                const Error error = registryProperty(device, equivalent.property, registry);
                if (error == kSuccess) {
                    value = asDeviceProperty(registry);
                    return kSuccess;
                }
                // A registry property that is not set reads as ERROR_INVALID_DATA; the device
                // property call says ERROR_NOT_FOUND for the same.
                return error == kInvalidData ? dev::kErrorNotFound : error;
            }
        }
        return otherwise;
    }

    // SetupDiGetDeviceInterfaceDetailW: the interface's device path and the device it belongs
    // to. The detail record is sized by a first call.
    Error interfaceDetail(SP_DEVICE_INTERFACE_DATA& data, std::wstring& path,
                          SP_DEVINFO_DATA& device) {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set_.get(), &data, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            return failureReason();
        }
        for (;;) {
            std::vector<BYTE> buffer(required, 0);
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
            DWORD needed = 0;
            if (SetupDiGetDeviceInterfaceDetailW(set_.get(), &data, detail, required, &needed,
                                                 &device)) {
                path = detail->DevicePath;
                return kSuccess;
            }
            const Error error = failureReason();
            if (error != kInsufficientBuffer || needed <= required) {
                return error;
            }
            required = needed;
        }
    }

    UniqueDeviceInfo set_;
    std::map<DWORD, SP_DEVINFO_DATA> devices_;
    std::map<std::wstring, SP_DEVICE_INTERFACE_DATA> interfaces_;
};

class Win32DeviceNotification final : public DeviceNotification {
public:
    explicit Win32DeviceNotification(UniqueNotification notification)
        : notification_(std::move(notification)) {}

private:
    UniqueNotification notification_;
};

class Win32Devices final : public Devices {
public:
    Error classDevices(const Guid* classGuid, std::uint32_t flags,
                       std::unique_ptr<DeviceInfoSet>& set) override {
        set.reset();
        GUID guid{};
        if (classGuid != nullptr) {
            guid = toGuid(*classGuid);
        }
        HDEVINFO created =
            SetupDiGetClassDevsW(classGuid != nullptr ? &guid : nullptr, nullptr, nullptr, flags);
        if (created == INVALID_HANDLE_VALUE) {
            return failureReason();
        }
        set = std::make_unique<Win32DeviceInfoSet>(UniqueDeviceInfo(created));
        return kSuccess;
    }

    dev::ConfigRet locateDevNode(const std::wstring& instanceId, std::uint32_t flags,
                                 std::uint32_t& devInst) override {
        std::wstring id = instanceId;
        DEVINST node = 0;
        const CONFIGRET result =
            CM_Locate_DevNode_ExW(&node, instanceId.empty() ? nullptr : &id[0], flags, nullptr);
        if (result == CR_SUCCESS) {
            devInst = node;
        }
        return result;
    }

    dev::ConfigRet reenumerateDevNode(std::uint32_t devInst, std::uint32_t flags) override {
        return CM_Reenumerate_DevNode_Ex(devInst, flags, nullptr);
    }

    Error registerDeviceNotification(std::intptr_t window, const Guid& interfaceClass,
                                     std::unique_ptr<DeviceNotification>& registration) override {
        registration.reset();
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = toGuid(interfaceClass);
        HDEVNOTIFY notification = RegisterDeviceNotificationW(reinterpret_cast<HWND>(window),
                                                              &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        if (notification == nullptr) {
            return failureReason();
        }
        registration = std::make_unique<Win32DeviceNotification>(UniqueNotification(notification));
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<Devices> makeDevices() {
    return std::make_unique<Win32Devices>();
}

}  // namespace platform::win32
