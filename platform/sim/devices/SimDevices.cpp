#include "SimDevices.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "DeviceDocument.h"
#include "platform/sim/core/ChangeWatch.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/StateErrors.h"

namespace platform::sim::devices {

namespace {

constexpr std::uint32_t kKnownSetFlags = dev::kDigcfDefault | dev::kDigcfPresent |
                                         dev::kDigcfAllClasses | dev::kDigcfProfile |
                                         dev::kDigcfDeviceInterface;
// SPDRP_MAXIMUM_PROPERTY: codes from here on are not properties at all.
constexpr std::uint32_t kSpdrpMaximum = 0x25;
// The configuration manager's answer when its database cannot be read (CR_REGISTRY_ERROR).
constexpr dev::ConfigRet kCrRegistryError = 0x1D;
constexpr std::uint32_t kRootDevInst = 0xFFFFFFFF;  // the root when the PC lists none

const std::wstring kRootInstanceId = L"HTREE\\ROOT\\0";

std::wstring wide(const QString& text) {
    return text.toStdWString();
}

std::vector<std::wstring> wideList(const QStringList& list) {
    std::vector<std::wstring> out;
    for (const QString& item : list)
        out.push_back(item.toStdWString());
    return out;
}

Guid guidOf(const QString& text) {
    Guid guid;
    Guid::parse(text.toStdWString(), guid);
    return guid;
}

DeviceValue textValue(std::uint32_t type, const QString& text) {
    DeviceValue value;
    value.type = type;
    value.text = wide(text);
    return value;
}

DeviceValue listValue(std::uint32_t type, const QStringList& list) {
    DeviceValue value;
    value.type = type;
    value.strings = wideList(list);
    return value;
}

DeviceValue numberValue(std::uint32_t type, std::uint64_t number) {
    DeviceValue value;
    value.type = type;
    value.number = number;
    return value;
}

DeviceValue guidValue(const QString& text) {
    DeviceValue value;
    value.type = dev::kPropTypeGuid;
    value.guid = guidOf(text);
    return value;
}

// A text property: absent when empty, as Windows keeps no empty registry property.
win32::Error text(std::uint32_t type, const QString& text, win32::Error missing,
                  DeviceValue& value) {
    if (text.isEmpty())
        return missing;
    value = textValue(type, text);
    return win32::kSuccess;
}

win32::Error list(std::uint32_t type, const QStringList& strings, win32::Error missing,
                  DeviceValue& value) {
    if (strings.isEmpty())
        return missing;
    value = listValue(type, strings);
    return win32::kSuccess;
}

// One entry of a set: the device as it was when the set was made, and its node handle.
struct SetEntry {
    SimDevice device;
    std::uint32_t devInst = 0;
};

class SimDeviceSet : public DeviceInfoSet {
public:
    SimDeviceSet(std::vector<SetEntry> entries, bool presenceKnown)
        : m_entries(std::move(entries)), m_presenceKnown(presenceKnown) {}

    win32::Error enumDeviceInfo(std::uint32_t index, DeviceInfoData& device) override {
        if (index >= m_entries.size())
            return win32::kNoMoreItems;
        device.classGuid = guidOf(m_entries[index].device.classGuid);
        device.devInst = m_entries[index].devInst;
        return win32::kSuccess;
    }

    win32::Error deviceInstanceId(const DeviceInfoData& info, std::wstring& id) override {
        const SimDevice* device = find(info);
        if (!device)
            return win32::kInvalidParameter;
        id = wide(device->instanceId);
        return win32::kSuccess;
    }

    win32::Error registryProperty(const DeviceInfoData& info, std::uint32_t property,
                                  DeviceValue& value) override {
        const SimDevice* device = find(info);
        if (!device || property >= kSpdrpMaximum)
            return win32::kInvalidParameter;
        constexpr win32::Error missing = win32::kInvalidData;
        switch (property) {
            case dev::kSpdrpDeviceDesc:
                return text(dev::kRegSz, device->description, missing, value);
            case dev::kSpdrpHardwareId:
                return list(dev::kRegMultiSz, device->hardwareIds, missing, value);
            case dev::kSpdrpCompatibleIds:
                return list(dev::kRegMultiSz, device->compatibleIds, missing, value);
            case dev::kSpdrpService:
                return text(dev::kRegSz, device->service, missing, value);
            case dev::kSpdrpClass:
                return text(dev::kRegSz, device->setupClass, missing, value);
            case dev::kSpdrpClassGuid:
                return text(dev::kRegSz, device->classGuid, missing, value);
            case dev::kSpdrpDriver:
                return text(dev::kRegSz, device->driver, missing, value);
            case dev::kSpdrpMfg:
                return text(dev::kRegSz, device->manufacturer, missing, value);
            case dev::kSpdrpFriendlyName:
                return text(dev::kRegSz, device->friendlyName, missing, value);
            case dev::kSpdrpLocationInfo:
                return text(dev::kRegSz, device->location, missing, value);
            case dev::kSpdrpEnumeratorName:
                return text(dev::kRegSz, device->enumerator(), missing, value);
            default:
                return missing;
        }
    }

    win32::Error deviceProperty(const DeviceInfoData& info, const DevPropKey& key,
                                DeviceValue& value) override {
        const SimDevice* device = find(info);
        if (!device)
            return win32::kInvalidParameter;
        constexpr win32::Error missing = dev::kErrorNotFound;
        constexpr std::uint32_t kString = dev::kPropTypeString;
        constexpr std::uint32_t kList = dev::kPropTypeStringList;
        if (key == devpkey::kName)
            return text(kString, device->displayName(), missing, value);
        if (key == devpkey::kInstanceId)
            return text(kString, device->instanceId, missing, value);
        if (key == devpkey::kParent)
            return text(kString, device->parent, missing, value);
        if (key == devpkey::kDeviceDesc)
            return text(kString, device->description, missing, value);
        if (key == devpkey::kFriendlyName)
            return text(kString, device->friendlyName, missing, value);
        if (key == devpkey::kHardwareIds)
            return list(kList, device->hardwareIds, missing, value);
        if (key == devpkey::kCompatibleIds)
            return list(kList, device->compatibleIds, missing, value);
        if (key == devpkey::kService)
            return text(kString, device->service, missing, value);
        if (key == devpkey::kClass)
            return text(kString, device->setupClass, missing, value);
        if (key == devpkey::kDriver)
            return text(kString, device->driver, missing, value);
        if (key == devpkey::kManufacturer)
            return text(kString, device->manufacturer, missing, value);
        if (key == devpkey::kLocationInfo)
            return text(kString, device->location, missing, value);
        if (key == devpkey::kEnumeratorName)
            return text(kString, device->enumerator(), missing, value);
        if (key == devpkey::kBusReportedDeviceDesc)
            return text(kString, device->busReportedDescription, missing, value);
        if (key == devpkey::kDriverDesc)
            return text(kString, device->driverDescription, missing, value);
        if (key == devpkey::kDriverProvider)
            return text(kString, device->driverProvider, missing, value);
        if (key == devpkey::kClassGuid || key == devpkey::kContainerId) {
            const QString& guid =
                key == devpkey::kClassGuid ? device->classGuid : device->containerId;
            if (guid.isEmpty())
                return missing;
            value = guidValue(guid);
            return win32::kSuccess;
        }
        if (key == devpkey::kProblemCode) {
            if (!device->problem || !device->present)
                return missing;
            value = numberValue(dev::kPropTypeUint32, *device->problem);
            return win32::kSuccess;
        }
        if (key == devpkey::kDevNodeStatus) {
            if (!device->present)
                return missing;
            value = numberValue(dev::kPropTypeUint32, device->status);
            return win32::kSuccess;
        }
        if (key == devpkey::kIsPresent) {
            // The property came with Windows 8; older systems do not know it.
            if (!m_presenceKnown)
                return missing;
            value = numberValue(dev::kPropTypeBoolean, device->present ? 1 : 0);
            return win32::kSuccess;
        }
        return missing;
    }

    win32::Error enumDeviceInterfaces(const Guid& interfaceClass, std::uint32_t index,
                                      DeviceInterfaceData& data) override {
        std::uint32_t seen = 0;
        for (const SetEntry& entry : m_entries) {
            for (const QString& guid : entry.device.interfaces) {
                if (guidOf(guid) != interfaceClass)
                    continue;
                if (seen++ != index)
                    continue;
                data.interfaceClassGuid = interfaceClass;
                data.flags = entry.device.present ? dev::kSpintActive : 0;
                data.devicePath = interfacePath(wide(entry.device.instanceId), interfaceClass);
                data.device.classGuid = guidOf(entry.device.classGuid);
                data.device.devInst = entry.devInst;
                return win32::kSuccess;
            }
        }
        return win32::kNoMoreItems;
    }

    win32::Error interfaceProperty(const DeviceInterfaceData& data, const DevPropKey& key,
                                   DeviceValue& value) override {
        const SimDevice* device = find(data.device);
        if (!device)
            return win32::kInvalidParameter;
        if (key == devpkey::kDeviceInterfaceFriendlyName) {
            const QString name =
                device->friendlyName.isEmpty() ? device->description : device->friendlyName;
            return text(dev::kPropTypeString, name, dev::kErrorNotFound, value);
        }
        return dev::kErrorNotFound;
    }

private:
    const SimDevice* find(const DeviceInfoData& info) const {
        for (const SetEntry& entry : m_entries) {
            if (entry.devInst == info.devInst)
                return &entry.device;
        }
        return nullptr;
    }

    std::vector<SetEntry> m_entries;
    bool m_presenceKnown;
};

// An interface that a window may hear of: its class and path.
struct ActiveInterface {
    Guid interfaceClass;
    std::wstring path;
};

std::vector<ActiveInterface> activeInterfaces(const DeviceList& list) {
    std::vector<ActiveInterface> active;
    for (const SimDevice& device : list.devices) {
        if (!device.present)
            continue;
        for (const QString& guid : device.interfaces) {
            const Guid interfaceClass = guidOf(guid);
            active.push_back(
                {interfaceClass, interfacePath(wide(device.instanceId), interfaceClass)});
        }
    }
    return active;
}

bool containsPath(const std::vector<ActiveInterface>& list, const std::wstring& path) {
    return std::any_of(list.begin(), list.end(),
                       [&](const ActiveInterface& item) { return item.path == path; });
}

class SimDevices;

class SimDeviceNotification : public DeviceNotification {
public:
    SimDeviceNotification(SimDevices& owner, int id) : m_owner(owner), m_id(id) {}
    ~SimDeviceNotification() override;

private:
    SimDevices& m_owner;
    int m_id;
};

class SimDevices : public Devices {
public:
    explicit SimDevices(Machine& machine)
        : m_store(machine.store()),
          m_stateDirectory(machine.store().directory()),
          m_presenceKnown(machine.system().version.isAtLeast(6, 2)),
          m_elevated(machine.system().elevated) {}

    ~SimDevices() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_watch)
                m_watch->cancel();
        }
        if (m_thread.joinable())
            m_thread.join();
    }

    win32::Error classDevices(const Guid* classGuid, std::uint32_t flags,
                              std::unique_ptr<DeviceInfoSet>& set) override {
        set.reset();
        if ((flags & ~kKnownSetFlags) != 0)
            return dev::kErrorInvalidFlags;
        const bool allClasses = (flags & dev::kDigcfAllClasses) != 0;
        if (!allClasses && classGuid == nullptr)
            return win32::kInvalidParameter;
        DeviceList list;
        if (!load(list))
            return kStateUnreadable;
        const bool interfaces = (flags & dev::kDigcfDeviceInterface) != 0;
        std::vector<SetEntry> entries;
        for (std::size_t i = 0; i < list.devices.size(); ++i) {
            const SimDevice& device = list.devices[i];
            if ((flags & dev::kDigcfPresent) && !device.present)
                continue;
            if (!allClasses && !belongs(device, *classGuid, interfaces))
                continue;
            if (allClasses && interfaces && device.interfaces.isEmpty())
                continue;
            entries.push_back({device, static_cast<std::uint32_t>(i + 1)});
        }
        set = std::make_unique<SimDeviceSet>(std::move(entries), m_presenceKnown);
        return win32::kSuccess;
    }

    dev::ConfigRet locateDevNode(const std::wstring& instanceId, std::uint32_t flags,
                                 std::uint32_t& devInst) override {
        devInst = 0;
        if ((flags & ~dev::kCmLocateDevNodePhantom) != 0)
            return dev::kCrInvalidFlag;
        DeviceList list;
        if (!load(list))
            return kCrRegistryError;
        const QString wanted =
            QString::fromStdWString(instanceId.empty() ? kRootInstanceId : instanceId);
        const auto index = list.find(wanted);
        if (!index) {
            if (instanceId.empty()) {
                devInst = kRootDevInst;  // the root is always there, listed or not
                return dev::kCrSuccess;
            }
            return dev::kCrNoSuchDevNode;
        }
        if (!list.devices[*index].present && (flags & dev::kCmLocateDevNodePhantom) == 0)
            return dev::kCrNoSuchDevNode;
        devInst = static_cast<std::uint32_t>(*index + 1);
        return dev::kCrSuccess;
    }

    dev::ConfigRet reenumerateDevNode(std::uint32_t devInst, std::uint32_t flags) override {
        constexpr std::uint32_t known = dev::kCmReenumerateSynchronous |
                                        dev::kCmReenumerateRetryInstallation |
                                        dev::kCmReenumerateAsynchronous;
        if ((flags & ~known) != 0)
            return dev::kCrInvalidFlag;
        DeviceList list;
        if (!load(list))
            return kCrRegistryError;
        if (devInst != kRootDevInst && (devInst == 0 || devInst > list.devices.size()))
            return dev::kCrInvalidDevNode;
        // Re-enumerating needs the right to load drivers, which only an elevated process has.
        if (!m_elevated)
            return dev::kCrAccessDenied;
        // Every device the PC has is already listed, so asking the buses again finds nothing
        // new; the request is counted so that a caller's effect can be seen.
        QString error;
        m_store.update(
            QLatin1String(kDevicesFacility),
            [](QJsonObject& document) {
                document.insert(QStringLiteral("reenumerations"),
                                document.value(QStringLiteral("reenumerations")).toDouble() + 1);
                return true;
            },
            error);
        return error.isEmpty() ? dev::kCrSuccess : kCrRegistryError;
    }

    win32::Error registerDeviceNotification(
        std::intptr_t window, const Guid& interfaceClass,
        std::unique_ptr<DeviceNotification>& registration) override {
        registration.reset();
        if (window == 0)
            return win32::kInvalidHandle;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_watch && !startWatching())
            return win32::kNotEnoughMemory;
        const int id = ++m_lastId;
        m_registrations.emplace(id, std::make_pair(window, interfaceClass));
        registration = std::make_unique<SimDeviceNotification>(*this, id);
        return win32::kSuccess;
    }

    void unregister(int id) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_registrations.erase(id);
    }

private:
    static bool belongs(const SimDevice& device, const Guid& classGuid, bool interfaces) {
        if (!interfaces)
            return !device.classGuid.isEmpty() && guidOf(device.classGuid) == classGuid;
        return std::any_of(device.interfaces.begin(), device.interfaces.end(),
                           [&](const QString& guid) { return guidOf(guid) == classGuid; });
    }

    bool load(DeviceList& list) const {
        QJsonObject document;
        QString error;
        return m_store.read(QLatin1String(kDevicesFacility), document, error) &&
               readDeviceDocument(document, list, error);
    }

    // Under m_mutex. The watch is set up before the first look, so that no change falls
    // between that look and the wait.
    bool startWatching() {
        auto watch =
            std::make_unique<ChangeWatch>(m_stateDirectory, QLatin1String(kDevicesFacility));
        if (!watch->isValid())
            return false;
        DeviceList list;
        load(list);
        m_known = activeInterfaces(list);
        m_watch = std::move(watch);
        m_thread = std::thread([this] { watchChanges(); });
        return true;
    }

    void watchChanges() {
        for (;;) {
            if (!m_watch->wait(-1))
                return;  // cancelled
            DeviceList list;
            if (!load(list))
                continue;  // a document being repaired: the next change tells
            deliverChanges(activeInterfaces(list));
        }
    }

    // Removals first, the deepest device first; then arrivals, parents first.
    void deliverChanges(std::vector<ActiveInterface> now) {
        std::vector<std::pair<std::uint32_t, ActiveInterface>> events;
        for (auto it = m_known.rbegin(); it != m_known.rend(); ++it) {
            if (!containsPath(now, it->path))
                events.emplace_back(dev::kDbtDeviceRemoveComplete, *it);
        }
        for (const ActiveInterface& item : now) {
            if (!containsPath(m_known, item.path))
                events.emplace_back(dev::kDbtDeviceArrival, item);
        }
        m_known = std::move(now);
        DeviceChangeSink* sink = deviceChangeSink();
        if (events.empty() || sink == nullptr)
            return;
        std::vector<std::pair<std::intptr_t, Guid>> targets;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (const auto& entry : m_registrations)
                targets.push_back(entry.second);
        }
        for (const auto& [event, item] : events) {
            for (const auto& [window, interfaceClass] : targets) {
                if (interfaceClass == item.interfaceClass)
                    sink->deviceChange(window, event,
                                       DeviceInterfaceBroadcast{dev::kDbtDevtypDeviceInterface,
                                                                item.interfaceClass, item.path});
            }
        }
    }

    StateStore& m_store;
    QString m_stateDirectory;
    bool m_presenceKnown;
    bool m_elevated;
    std::mutex m_mutex;  // guards m_registrations, m_lastId and the start of the watch
    std::map<int, std::pair<std::intptr_t, Guid>> m_registrations;
    int m_lastId = 0;
    std::unique_ptr<ChangeWatch> m_watch;
    std::vector<ActiveInterface> m_known;  // the watch thread's own once it runs
    std::thread m_thread;
};

SimDeviceNotification::~SimDeviceNotification() {
    m_owner.unregister(m_id);
}

}  // namespace

std::wstring interfacePath(const std::wstring& instanceId, const Guid& interfaceClass) {
    std::wstring path = L"\\\\?\\";
    for (wchar_t c : instanceId)
        path.push_back(c == L'\\' ? L'#' : c);
    std::wstring guid = interfaceClass.toString();
    std::transform(guid.begin(), guid.end(), guid.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return path + L"#" + guid;
}

std::unique_ptr<Devices> makeSimDevices(Machine& machine) {
    return std::make_unique<SimDevices>(machine);
}

}  // namespace platform::sim::devices
