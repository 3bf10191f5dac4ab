#pragma once

#include <QMetaType>

#include <string>
#include <vector>

// The USB phase's records as they travel with the scan's signals. The device layer owns them:
// it fills USBPrinterInfo and builds the device tree; the scan only passes them on.
namespace devices {

// One device found by a USB printer search.
struct USBPrinterInfo {
    std::wstring className;
    std::wstring classGuid;
    std::vector<std::wstring> compatibleIds;
    std::vector<std::wstring> hardwareIds;
    std::wstring deviceDesc;
    std::wstring friendlyName;
    std::wstring mfg;
    std::wstring reserved;
    int searchMethod = 0;  // 0 printer class, 1 the USB print class, 3 all classes
};

class DeviceTree;
struct DeviceItem;

}  // namespace devices

Q_DECLARE_METATYPE(devices::USBPrinterInfo)
Q_DECLARE_METATYPE(std::vector<devices::USBPrinterInfo>)
Q_DECLARE_OPAQUE_POINTER(const devices::DeviceTree*)
Q_DECLARE_OPAQUE_POINTER(devices::DeviceItem*)
Q_DECLARE_METATYPE(const devices::DeviceTree*)
Q_DECLARE_METATYPE(std::vector<devices::DeviceItem*>)
Q_DECLARE_METATYPE(std::vector<devices::DeviceItem*>*)
