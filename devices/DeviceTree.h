#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Devices.h"

namespace devices {

// The properties a node can read, by their index in DeviceItem::properties.
enum PropertyIndex : int {
    kPropName = 0,
    kPropInstanceId = 1,
    kPropParent = 2,
    kPropProblemCode = 3,
    kPropNodeStatus = 4,
    kPropInterfaceFriendlyName = 5,
    kPropClassProperty = 6,
    kPropContainerId = 7,
    kPropClass = 8,
    kPropBusReportedDesc = 9,
    kPropManufacturer = 10,
    kPropDriverDesc = 11,
    kPropDriverProvider = 12,
    kPropService = 13,
    kPropIsPresent = 14,
    kPropLocationInfo = 15,
    kPropEnumeratorName = 16,
    kPropHardwareIds = 17,
};
constexpr int kPropertyCount = 18;

// One lazily read property: read from the system on first use, then kept.
struct PropertySlot {
    bool loaded = false;
    bool hasValue = false;
    std::wstring text;               // the value as text (see readProperty)
    std::vector<std::wstring> list;  // string lists only
};

// One node of the device tree.
struct DeviceItem {
    DeviceItem* parent = nullptr;
    DeviceItem* nextSibling = nullptr;
    DeviceItem* firstChild = nullptr;
    platform::Guid classGuid;
    std::uint32_t idHash = 0;
    std::wstring instanceId;
    std::wstring parentInstanceId;
    std::vector<std::wstring> hardwareIds;
    std::uint32_t problemCode = kProblemUnknown;
    std::uint32_t nodeStatus = 0;
    int childCount = 0;
    std::uint32_t flags = 0;
    platform::DeviceInfoSet* deviceSet = nullptr;  // null for the synthetic root
    platform::DeviceInfoData deviceInfo;
    std::array<PropertySlot, kPropertyCount> properties;

    bool isSkipped() const { return (flags & kSkipFlag) != 0; }

    // The problem code a device gets when it reports none.
    static constexpr std::uint32_t kProblemUnknown = 45;
    // Flag bit 2: walks pass over the node.
    static constexpr std::uint32_t kSkipFlag = 0x4;
};

// The hash of an instance ID over its UTF-16 code units: h = h * 0x1003F + c (mod 2^32).
std::uint32_t idHash(const std::wstring& instanceId);

constexpr wchar_t kRootInstanceId[] = L"HTREE\\ROOT\\0";
constexpr std::uint32_t kRootHash = 0x8E4DD0EC;  // idHash(kRootInstanceId)

// The PC's present devices of all classes as the device manager shows them: nodes linked to
// their parents (by instance ID, ignoring case), and a root. Read-only once built; owned by
// whoever built it and used by one thread at a time.
class DeviceTree {
public:
    DeviceTree() = default;
    ~DeviceTree() { clear(); }
    DeviceTree(const DeviceTree&) = delete;
    DeviceTree& operator=(const DeviceTree&) = delete;

    // Clears the tree and fills it from the system. 0, or the system's error when the device
    // set cannot be had (the tree is then empty). `computerName` names the root.
    platform::win32::Error build(platform::Devices& devices, const std::wstring& computerName);
    void clear();

    // The node "HTREE\ROOT\0" (the system's, or a synthetic one); null before a build.
    DeviceItem* root() const { return m_root; }
    const std::vector<std::unique_ptr<DeviceItem>>& items() const { return m_items; }

    // The slot, read from the system on first access.
    const PropertySlot& property(DeviceItem& item, int index) const;
    // The slot's text, empty when it has no value.
    std::wstring text(DeviceItem& item, int index) const { return property(item, index).text; }

private:
    void linkParents();

    std::unique_ptr<platform::DeviceInfoSet> m_set;
    std::vector<std::unique_ptr<DeviceItem>> m_items;
    DeviceItem* m_root = nullptr;
};

// The text of a value as the tree keeps it: strings as they are, a problem code in decimal, a
// node status in hexadecimal with "0x", a GUID in braces, "true"/"false", and a string list as
// each string followed by ",".
std::wstring propertyText(int index, const platform::DeviceValue& value);

// The computer name the root carries: the registry's active computer name, empty when it
// cannot be read.
std::wstring activeComputerName();

// Depth-first from `item`: the node, its children, then its next sibling; skipped nodes and
// what lies below them are passed over.
template <class Visit>
void walkDepthFirst(DeviceItem* item, const Visit& visit) {
    for (; item != nullptr; item = item->nextSibling) {
        if (item->isSkipped())
            continue;
        visit(*item);
        walkDepthFirst(item->firstChild, visit);
    }
}

}  // namespace devices
