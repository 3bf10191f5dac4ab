#pragma once

#include <memory>

#include "devices/UsbPrinterScan.h"

// The USB phase's records as they travel with the scan's signals: the device layer fills them,
// the scan passes them on. The device-tree step's result is shared, so it is released when the
// last page call for it is done, whichever thread that is on.
