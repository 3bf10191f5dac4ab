#include "DeviceTree.h"

#include <cwctype>
#include <map>
#include <sstream>

#include "platform/Registry.h"

namespace devices {

namespace {

using platform::DeviceValue;
using platform::DevPropKey;
namespace win32 = platform::win32;
namespace dev = platform::dev;

// {14C83A99-0B3F-44B7-BE4C-A178D3990564}, 3: a class property the tree reads by value.
const DevPropKey kClassPropertyKey{
    {0x14C83A99, 0x0B3F, 0x44B7, {0xBE, 0x4C, 0xA1, 0x78, 0xD3, 0x99, 0x05, 0x64}}, 3};

const DevPropKey& keyOf(int index) {
    static const DevPropKey* const kKeys[kPropertyCount] = {
        &platform::devpkey::kName,
        &platform::devpkey::kInstanceId,
        &platform::devpkey::kParent,
        &platform::devpkey::kProblemCode,
        &platform::devpkey::kDevNodeStatus,
        &platform::devpkey::kDeviceInterfaceFriendlyName,
        &kClassPropertyKey,
        &platform::devpkey::kContainerId,
        &platform::devpkey::kClass,
        &platform::devpkey::kBusReportedDeviceDesc,
        &platform::devpkey::kManufacturer,
        &platform::devpkey::kDriverDesc,
        &platform::devpkey::kDriverProvider,
        &platform::devpkey::kService,
        &platform::devpkey::kIsPresent,
        &platform::devpkey::kLocationInfo,
        &platform::devpkey::kEnumeratorName,
        &platform::devpkey::kHardwareIds,
    };
    return *kKeys[index];
}

bool isStringType(std::uint32_t type) {
    return type == dev::kPropTypeString || type == dev::kPropTypeSecurityDescriptorString;
}

// Whether a value of `type` is what the slot at `index` reads.
bool acceptsType(int index, std::uint32_t type) {
    switch (index) {
        case kPropProblemCode:
        case kPropNodeStatus:
            return type == dev::kPropTypeUint32;
        case kPropContainerId:
            return type == dev::kPropTypeGuid;
        case kPropIsPresent:
            return type == dev::kPropTypeBoolean;
        case kPropHardwareIds:
            return type == dev::kPropTypeStringList;
        default:
            return isStringType(type);
    }
}

void fillSlot(PropertySlot& slot, int index, const DeviceValue& value) {
    slot.loaded = true;
    slot.hasValue = true;
    slot.text = propertyText(index, value);
    if (index == kPropHardwareIds)
        slot.list = value.strings;
}

// The next UTF-16 code units of a code point (a surrogate pair above the basic plane).
template <class Add>
void forEachUtf16Unit(const std::wstring& text, const Add& add) {
    for (wchar_t c : text) {
        const auto point = static_cast<std::uint32_t>(c);
        if (point > 0xFFFF) {
            const std::uint32_t offset = point - 0x10000;
            add(0xD800 + (offset >> 10));
            add(0xDC00 + (offset & 0x3FF));
        } else {
            add(point);
        }
    }
}

std::wstring upperCase(const std::wstring& text) {
    std::wstring upper = text;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

}  // namespace

std::uint32_t idHash(const std::wstring& instanceId) {
    std::uint32_t hash = 0;
    forEachUtf16Unit(instanceId, [&](std::uint32_t unit) { hash = hash * 0x1003Fu + unit; });
    return hash;
}

std::wstring propertyText(int index, const DeviceValue& value) {
    switch (index) {
        case kPropProblemCode:
            return std::to_wstring(value.number);
        case kPropNodeStatus: {
            std::wostringstream out;
            out << L"0x" << std::hex << value.number;
            return out.str();
        }
        case kPropContainerId:
            return value.guid.toString();
        case kPropIsPresent:
            return value.number != 0 ? L"true" : L"false";
        case kPropHardwareIds: {
            std::wstring text;
            for (const std::wstring& item : value.strings)
                text += item + L",";
            return text;
        }
        default:
            return value.text;
    }
}

std::wstring activeComputerName() {
    std::wstring name;
    if (platform::reg::readString(
            platform::registry(), platform::RegistryRoot::LocalMachine,
            L"System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName",
            L"ComputerName", name) != win32::kSuccess)
        return {};
    return name;
}

const PropertySlot& DeviceTree::property(DeviceItem& item, int index) const {
    PropertySlot& slot = item.properties[static_cast<std::size_t>(index)];
    if (slot.loaded || item.deviceSet == nullptr) {
        slot.loaded = true;
        return slot;
    }
    slot.loaded = true;
    DeviceValue value;
    if (item.deviceSet->deviceProperty(item.deviceInfo, keyOf(index), value) == win32::kSuccess &&
        acceptsType(index, value.type))
        fillSlot(slot, index, value);
    return slot;
}

// Each node goes to the end of its parent's child chain, so children keep the set's order.
void DeviceTree::linkParents() {
    std::map<std::wstring, DeviceItem*> byId;
    for (const auto& item : m_items)
        byId.emplace(upperCase(item->instanceId), item.get());
    for (const auto& item : m_items) {
        if (item->parentInstanceId.empty())
            continue;
        const auto found = byId.find(upperCase(item->parentInstanceId));
        if (found == byId.end() || found->second == item.get())
            continue;
        DeviceItem* parent = found->second;
        item->parent = parent;
        ++parent->childCount;
        DeviceItem** link = &parent->firstChild;
        while (*link != nullptr)
            link = &(*link)->nextSibling;
        *link = item.get();
    }
}

void DeviceTree::clear() {
    m_root = nullptr;
    m_items.clear();
    m_set.reset();
}

win32::Error DeviceTree::build(platform::Devices& devices, const std::wstring& computerName) {
    clear();
    const win32::Error error =
        devices.classDevices(nullptr, dev::kDigcfPresent | dev::kDigcfAllClasses, m_set);
    if (error != win32::kSuccess) {
        m_set.reset();
        return error;
    }
    platform::DeviceInfoData info;
    for (std::uint32_t index = 0; m_set->enumDeviceInfo(index, info) == win32::kSuccess; ++index) {
        auto item = std::make_unique<DeviceItem>();
        item->deviceSet = m_set.get();
        item->deviceInfo = info;
        item->classGuid = info.classGuid;
        item->flags &= ~DeviceItem::kSkipFlag;
        const PropertySlot& ids = property(*item, kPropHardwareIds);
        if (ids.hasValue)
            item->hardwareIds = ids.list;
        item->instanceId = property(*item, kPropInstanceId).text;
        if (!item->instanceId.empty()) {
            item->idHash = idHash(item->instanceId);
            if (item->idHash == kRootHash) {
                PropertySlot& name = item->properties[kPropName];
                name = PropertySlot{true, true, computerName, {}};
            } else {
                property(*item, kPropName);
            }
        }
        item->parentInstanceId = property(*item, kPropParent).text;
        const PropertySlot& problem = property(*item, kPropProblemCode);
        item->problemCode = problem.hasValue ? static_cast<std::uint32_t>(std::stoul(problem.text))
                                             : DeviceItem::kProblemUnknown;
        const PropertySlot& status = property(*item, kPropNodeStatus);
        item->nodeStatus =
            status.hasValue ? static_cast<std::uint32_t>(std::stoul(status.text, nullptr, 16)) : 0;
        property(*item, kPropContainerId);
        m_items.push_back(std::move(item));
    }
    for (const auto& item : m_items) {
        if (item->idHash == kRootHash)
            m_root = item.get();
    }
    if (m_root == nullptr) {
        auto root = std::make_unique<DeviceItem>();
        root->instanceId = kRootInstanceId;
        root->idHash = kRootHash;
        root->properties[kPropName] = PropertySlot{true, true, computerName, {}};
        root->properties[kPropInstanceId] = PropertySlot{true, true, root->instanceId, {}};
        m_root = root.get();
        m_items.push_back(std::move(root));
    }
    linkParents();
    return win32::kSuccess;
}

}  // namespace devices
