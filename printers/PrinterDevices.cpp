#include "PrinterDevices.h"

namespace PrinterAPI {

namespace {

// GUID_DEVCLASS_PRINTER.
const platform::Guid kPrinterClass{
    0x4D36E979, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// A property as text: a string, or the first string of a list; empty when it cannot be read.
QString registryText(platform::DeviceInfoSet& set, const platform::DeviceInfoData& device,
                     std::uint32_t property) {
    platform::DeviceValue value;
    if (set.registryProperty(device, property, value) != platform::win32::kSuccess)
        return {};
    if (value.type == platform::dev::kRegMultiSz)
        return value.strings.empty() ? QString() : QString::fromStdWString(value.strings.front());
    return QString::fromStdWString(value.text);
}

}  // namespace

QVector<PrinterClassDevice> printerClassDevices(platform::Devices& devices) {
    QVector<PrinterClassDevice> found;
    std::unique_ptr<platform::DeviceInfoSet> set;
    if (devices.classDevices(&kPrinterClass, platform::dev::kDigcfPresent, set) !=
            platform::win32::kSuccess ||
        !set)
        return found;
    platform::DeviceInfoData device;
    for (std::uint32_t index = 0; set->enumDeviceInfo(index, device) == platform::win32::kSuccess;
         ++index) {
        PrinterClassDevice entry;
        entry.description = registryText(*set, device, platform::dev::kSpdrpDeviceDesc);
        if (entry.description.isEmpty())
            entry.description = registryText(*set, device, platform::dev::kSpdrpFriendlyName);
        entry.hardwareId = registryText(*set, device, platform::dev::kSpdrpHardwareId);
        found.append(entry);
    }
    return found;
}

QVector<PrinterClassDevice> printerClassDevices() {
    return printerClassDevices(platform::devices());
}

}  // namespace PrinterAPI
