#pragma once

#include <QByteArray>
#include <QStringList>

#include "devices/UsbPrinterScan.h"
#include "webhost/JsValue.h"

namespace mainwindow {

// "notifyUsbPrinterByCpp"'s argument: the record as compact JSON (UTF-8) with the members
// "compatibleids", "deviceDesc", "friendlyName", "hardwareids", "mfg" and "searchMethod".
QByteArray usbPrinterJson(const devices::USBPrinterInfo& record);

// "notifyUsbPrinterByCpp2"'s argument: one object per group member with the string members
// "Name", "Manu", "Service", "Class", "Enumerator", "Instanceid", "ParentInstanceid" and
// "Hardwareid".
webhost::JsValue usbDeviceGroupValue(const devices::UsbDeviceGroup& group);

// The service filter "setUSBServiceFilter" sets: each element of an array read as text, in
// order; anything but an array gives an empty filter.
QStringList serviceFilterFromArgument(const webhost::JsValue& argument);

}  // namespace mainwindow
