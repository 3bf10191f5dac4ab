#pragma once

#include <QMetaType>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DeviceTree.h"
#include "platform/Devices.h"
#include "platform/SystemInfo.h"

namespace devices {

// One device found by a USB printer search. `searchMethod` tells which: 0 the printer class,
// 1 the class {62F9C741-B25A-46CE-B54C-9BCCCE08B6F2}, 3 all classes (driverless devices).
struct USBPrinterInfo {
    std::wstring className;
    std::wstring classGuid;
    std::vector<std::wstring> compatibleIds;  // printing IDs first
    std::vector<std::wstring> hardwareIds;    // IDs with a backslash first
    std::wstring deviceDesc;
    std::wstring friendlyName;
    std::wstring mfg;
    std::wstring reserved;  // always empty
    int searchMethod = 0;
};

// The device-tree step's result: the tree and its USB devices, one per vendor/product prefix.
// It is handed to the thread that reports it and released there after the page calls.
struct UsbTreeReport {
    DeviceTree tree;
    std::vector<DeviceItem*> usbDevices;
};

// One member of a reported USB device's group, the eight texts the page sees.
struct UsbGroupMember {
    std::wstring name;
    std::wstring manufacturer;
    std::wstring service;
    std::wstring className;
    std::wstring enumerator;
    std::wstring instanceId;
    std::wstring parentInstanceId;  // empty for the reported device itself
    std::wstring hardwareId;        // the first, empty when there is none
};
using UsbDeviceGroup = std::vector<UsbGroupMember>;

// How the USB phase reports to the scan that runs it. Every hook is optional.
struct UsbReports {
    // reportProgress(current, phase 1, progressEvent, 0, 0).
    std::function<void(int current, int progressEvent)> progress;
    // Whether the scan still runs (its state is 3); a false ends the phase at the next test.
    std::function<bool()> scanning;
    // One search's finds (the page gets "notifyUsbPrinterByCpp" per record).
    std::function<void(std::vector<USBPrinterInfo>)> usbPrinters;
    // The device-tree step's result (the page gets "notifyUsbPrinterByCpp2" per group).
    std::function<void(std::shared_ptr<UsbTreeReport>)> usbTree;
};

// The USB device setup classes the searches ask for.
extern const platform::Guid kPrinterClass;         // {4D36E979-E325-11CE-BFC1-08002BE10318}
extern const platform::Guid kPrintingDeviceClass;  // {62F9C741-B25A-46CE-B54C-9BCCCE08B6F2}

// The USB printer step: the three searches, each reported when it found something.
void runUsbPrinterStep(platform::Devices& devices, const UsbReports& reports);
// The USB device-tree step. `version` decides whether presence is read (Windows 8 and later).
void runUsbTreeStep(platform::Devices& devices, const platform::WindowsVersion& version,
                    const std::wstring& computerName, const UsbReports& reports);
// Both steps, as the scan's USB phase runs them.
void scanUsbPrinters(platform::Devices& devices, const platform::WindowsVersion& version,
                     const std::wstring& computerName, const UsbReports& reports);

// The present devices of one class (`classGuid` null: all classes) as search records.
std::vector<USBPrinterInfo> enumerateUsbPrinterInfo(platform::Devices& devices,
                                                    const platform::Guid* classGuid);
// The ID orderings of the records.
std::vector<std::wstring> orderCompatibleIds(const std::vector<std::wstring>& ids);
std::vector<std::wstring> orderHardwareIds(const std::vector<std::wstring>& ids);

// The tree's USB candidates: present (or on a system before Windows 8) nodes whose instance ID
// begins with "usb\vid_" in any case, the first node of each 21-character prefix.
std::vector<DeviceItem*> usbCandidates(const DeviceTree& tree, bool readPresence);

// The groups to report for a tree step's result: each USB device with its descendants of the
// same container, dropped when a member's service is in `serviceFilter` (exact match).
std::vector<UsbDeviceGroup> usbDeviceGroups(UsbTreeReport& report,
                                            const QStringList& serviceFilter);

}  // namespace devices

Q_DECLARE_METATYPE(devices::USBPrinterInfo)
Q_DECLARE_METATYPE(std::vector<devices::USBPrinterInfo>)
Q_DECLARE_METATYPE(std::shared_ptr<devices::UsbTreeReport>)
