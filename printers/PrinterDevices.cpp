#include "PrinterDevices.h"

namespace PrinterAPI {

QVector<PrinterClassDevice> printerClassDevices() {
    return {};
}

}  // namespace PrinterAPI
