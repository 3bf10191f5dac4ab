#include "UsbPrinterScan.h"

#include <algorithm>
#include <cwctype>

namespace devices {

namespace {

using platform::DeviceValue;
namespace win32 = platform::win32;
namespace dev = platform::dev;

constexpr int kStepStarted = 3;
constexpr int kSearchDone = 4;
constexpr int kProgressCurrent = 3;
// "USB\VID_300E&PID_105F": a vendor-and-product prefix.
constexpr std::size_t kVendorProductLength = 21;
const std::wstring kUsbVidPrefix = L"usb\\vid_";

// A registry property as text: strings as they are, numbers in decimal, string lists joined
// by line feeds; empty when missing or unreadable.
std::wstring registryText(platform::DeviceInfoSet& set, const platform::DeviceInfoData& info,
                          std::uint32_t property) {
    DeviceValue value;
    if (set.registryProperty(info, property, value) != win32::kSuccess)
        return {};
    switch (value.type) {
        case dev::kRegDword:
        case dev::kRegQword:
            return std::to_wstring(value.number);
        case dev::kRegMultiSz: {
            std::wstring text;
            for (std::size_t i = 0; i < value.strings.size(); ++i)
                text += (i == 0 ? L"" : L"\n") + value.strings[i];
            return text;
        }
        default:
            return value.text;
    }
}

std::vector<std::wstring> splitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return lines;
}

bool contains(const std::wstring& text, const wchar_t* part) {
    return text.find(part) != std::wstring::npos;
}

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool equalsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::wstring asciiLower(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

// Moves the IDs `front` picks to the front in the order met, each ahead of those before it,
// and the others to the back in order.
template <class Pick>
std::vector<std::wstring> frontLoaded(const std::vector<std::wstring>& ids, const Pick& front) {
    std::vector<std::wstring> ordered;
    std::vector<std::wstring> back;
    for (const std::wstring& id : ids) {
        if (front(id))
            ordered.insert(ordered.begin(), id);
        else
            back.push_back(id);
    }
    ordered.insert(ordered.end(), back.begin(), back.end());
    return ordered;
}

bool stillScanning(const UsbReports& reports) {
    return !reports.scanning || reports.scanning();
}

void progress(const UsbReports& reports, int current, int event) {
    if (reports.progress)
        reports.progress(current, event);
}

void report(const UsbReports& reports, std::vector<USBPrinterInfo> found) {
    if (!found.empty() && reports.usbPrinters)
        reports.usbPrinters(std::move(found));
}

bool isPrintingCompatible(const USBPrinterInfo& info) {
    return std::any_of(info.compatibleIds.begin(), info.compatibleIds.end(),
                       [](const std::wstring& id) {
                           return contains(id, L"USBPRINT") || contains(id, L"CID_MS_GENERICPRINT");
                       });
}

bool sharesHardwareId(const USBPrinterInfo& info, const std::vector<std::wstring>& printerIds) {
    for (const std::wstring& id : info.hardwareIds) {
        for (const std::wstring& printerId : printerIds) {
            if (equalsIgnoringAsciiCase(id, printerId))
                return true;
        }
    }
    return false;
}

// A device without an installed driver that sits on USB.
bool isDriverlessUsbDevice(const USBPrinterInfo& info) {
    return info.className.empty() && info.friendlyName.empty() && info.mfg.empty() &&
           !info.hardwareIds.empty() &&
           std::any_of(info.hardwareIds.begin(), info.hardwareIds.end(),
                       [](const std::wstring& id) { return startsWith(id, L"USB"); });
}

UsbGroupMember memberOf(const DeviceTree& tree, DeviceItem& item, bool isReported) {
    UsbGroupMember member;
    member.name = tree.text(item, kPropName);
    member.manufacturer = tree.text(item, kPropManufacturer);
    member.service = tree.text(item, kPropService);
    member.className = tree.text(item, kPropClass);
    member.enumerator = tree.text(item, kPropEnumeratorName);
    member.instanceId = item.instanceId;
    member.parentInstanceId = isReported ? std::wstring() : tree.text(item, kPropParent);
    member.hardwareId = item.hardwareIds.empty() ? std::wstring() : item.hardwareIds.front();
    return member;
}

// The descendants of `item` whose container is `container`, depth-first.
void collectContainer(const DeviceTree& tree, DeviceItem* child, const std::wstring& container,
                      UsbDeviceGroup& group) {
    for (; child != nullptr; child = child->nextSibling) {
        if (tree.text(*child, kPropContainerId) == container)
            group.push_back(memberOf(tree, *child, false));
        collectContainer(tree, child->firstChild, container, group);
    }
}

}  // namespace

const platform::Guid kPrinterClass{
    0x4D36E979, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const platform::Guid kPrintingDeviceClass{
    0x62F9C741, 0xB25A, 0x46CE, {0xB5, 0x4C, 0x9B, 0xCC, 0xCE, 0x08, 0xB6, 0xF2}};

std::vector<std::wstring> orderCompatibleIds(const std::vector<std::wstring>& ids) {
    return frontLoaded(ids, [](const std::wstring& id) {
        return contains(id, L"GENERICPRINT") || contains(id, L"USBPRINT");
    });
}

std::vector<std::wstring> orderHardwareIds(const std::vector<std::wstring>& ids) {
    return frontLoaded(ids, [](const std::wstring& id) { return contains(id, L"\\"); });
}

std::vector<USBPrinterInfo> enumerateUsbPrinterInfo(platform::Devices& devices,
                                                    const platform::Guid* classGuid) {
    std::vector<USBPrinterInfo> found;
    std::unique_ptr<platform::DeviceInfoSet> set;
    const std::uint32_t flags = dev::kDigcfPresent | (classGuid ? 0 : dev::kDigcfAllClasses);
    if (devices.classDevices(classGuid, flags, set) != win32::kSuccess || !set)
        return found;
    int method = 3;
    if (classGuid && *classGuid == kPrinterClass)
        method = 0;
    else if (classGuid && *classGuid == kPrintingDeviceClass)
        method = 1;
    platform::DeviceInfoData info;
    for (std::uint32_t index = 0; set->enumDeviceInfo(index, info) == win32::kSuccess; ++index) {
        USBPrinterInfo record;
        record.className = registryText(*set, info, dev::kSpdrpClass);
        record.classGuid = registryText(*set, info, dev::kSpdrpClassGuid);
        record.compatibleIds =
            orderCompatibleIds(splitLines(registryText(*set, info, dev::kSpdrpCompatibleIds)));
        record.hardwareIds =
            orderHardwareIds(splitLines(registryText(*set, info, dev::kSpdrpHardwareId)));
        record.mfg = registryText(*set, info, dev::kSpdrpMfg);
        record.deviceDesc = registryText(*set, info, dev::kSpdrpDeviceDesc);
        record.friendlyName = registryText(*set, info, dev::kSpdrpFriendlyName);
        record.searchMethod = method;
        found.push_back(std::move(record));
    }
    return found;
}

void runUsbPrinterStep(platform::Devices& devices, const UsbReports& reports) {
    progress(reports, 1, kStepStarted);
    if (!stillScanning(reports))
        return;
    std::vector<USBPrinterInfo> printers = enumerateUsbPrinterInfo(devices, &kPrinterClass);
    std::vector<std::wstring> printerIds;
    for (const USBPrinterInfo& printer : printers)
        printerIds.insert(printerIds.end(), printer.hardwareIds.begin(), printer.hardwareIds.end());
    report(reports, std::move(printers));

    progress(reports, kProgressCurrent, kSearchDone);
    if (!stillScanning(reports))
        return;
    std::vector<USBPrinterInfo> kept;
    for (USBPrinterInfo& info : enumerateUsbPrinterInfo(devices, &kPrintingDeviceClass)) {
        if (isPrintingCompatible(info) && !sharesHardwareId(info, printerIds))
            kept.push_back(std::move(info));
    }
    report(reports, std::move(kept));

    progress(reports, kProgressCurrent, kSearchDone);
    if (!stillScanning(reports))
        return;
    std::vector<USBPrinterInfo> driverless;
    for (USBPrinterInfo& info : enumerateUsbPrinterInfo(devices, nullptr)) {
        if (isDriverlessUsbDevice(info))
            driverless.push_back(std::move(info));
    }
    report(reports, std::move(driverless));
}

std::vector<DeviceItem*> usbCandidates(const DeviceTree& tree, bool readPresence) {
    std::vector<DeviceItem*> candidates;
    walkDepthFirst(tree.root(), [&](DeviceItem& item) {
        if (asciiLower(item.instanceId.substr(0, kUsbVidPrefix.size())) != kUsbVidPrefix)
            return;
        if (readPresence && tree.text(item, kPropIsPresent) != L"true")
            return;
        const std::wstring prefix = item.instanceId.substr(0, kVendorProductLength);
        const bool listed =
            std::any_of(candidates.begin(), candidates.end(), [&](DeviceItem* other) {
                return other->instanceId.compare(0, kVendorProductLength, prefix) == 0;
            });
        if (!listed)
            candidates.push_back(&item);
    });
    return candidates;
}

void runUsbTreeStep(platform::Devices& devices, const platform::WindowsVersion& version,
                    const std::wstring& computerName, const UsbReports& reports) {
    progress(reports, kProgressCurrent, kSearchDone);
    auto result = std::make_shared<UsbTreeReport>();
    if (result->tree.build(devices, computerName) != win32::kSuccess)
        return;
    result->usbDevices = usbCandidates(result->tree, version.isAtLeast(6, 2));
    if (reports.usbTree)
        reports.usbTree(std::move(result));
}

void scanUsbPrinters(platform::Devices& devices, const platform::WindowsVersion& version,
                     const std::wstring& computerName, const UsbReports& reports) {
    runUsbPrinterStep(devices, reports);
    if (!stillScanning(reports))
        return;
    runUsbTreeStep(devices, version, computerName, reports);
}

std::vector<UsbDeviceGroup> usbDeviceGroups(UsbTreeReport& report,
                                            const QStringList& serviceFilter) {
    std::vector<UsbDeviceGroup> groups;
    for (DeviceItem* item : report.usbDevices) {
        const std::wstring container = report.tree.text(*item, kPropContainerId);
        UsbDeviceGroup group{memberOf(report.tree, *item, true)};
        collectContainer(report.tree, item->firstChild, container, group);
        const bool filtered = std::any_of(group.begin(), group.end(), [&](const UsbGroupMember& m) {
            return serviceFilter.contains(QString::fromStdWString(m.service), Qt::CaseSensitive);
        });
        if (!filtered)
            groups.push_back(std::move(group));
    }
    return groups;
}

}  // namespace devices
