#pragma once

#include <QString>
#include <QVector>

namespace PrinterAPI {

// A present device of the printer setup class: its description (else its friendly name) and
// its first hardware id.
struct PrinterClassDevice {
    QString description;
    QString hardwareId;
};

// The PC's present printer-class devices, in device-set order. Reading the device tree belongs
// to the device inventory; until it exists this PC reports none.
QVector<PrinterClassDevice> printerClassDevices();

}  // namespace PrinterAPI
