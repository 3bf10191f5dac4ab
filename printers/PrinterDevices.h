#pragma once

#include <QString>
#include <QVector>

#include "platform/Devices.h"

namespace PrinterAPI {

// A present device of the printer setup class: its description (else its friendly name) and
// its first hardware id.
struct PrinterClassDevice {
    QString description;
    QString hardwareId;
};

// The present devices of the printer setup class, in device-set order; none when the set
// cannot be had.
QVector<PrinterClassDevice> printerClassDevices(platform::Devices& devices);
QVector<PrinterClassDevice> printerClassDevices();

}  // namespace PrinterAPI
