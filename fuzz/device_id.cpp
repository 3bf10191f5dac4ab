// An IEEE 1284 device ID as a printer's SNMP agent sends it: any bytes, read into the maker and
// the model the scan reports.
#include <string>

#include "FuzzSupport.h"
#include "netscan/NetPrinterInfo.h"

namespace {

// A value the parser gave must stand in the ID as "<key>:<value>;" for one of its keys.
bool standsAfterKey(const std::string& deviceId, const std::string& value,
                    std::initializer_list<const char*> keys) {
    if (value.empty()) {
        return true;
    }
    for (const char* key : keys) {
        if (deviceId.find(std::string(key) + ":" + value + ";") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string deviceId(reinterpret_cast<const char*>(data), size);
    const netscan::NetPrinterInfo info =
        netscan::NetPrinterInfo::fromDeviceId("127.0.0.1", deviceId);
    fuzz::require(info.ip == "127.0.0.1" && info.deviceId == deviceId, "input not kept as given");
    fuzz::require(standsAfterKey(deviceId, info.manufacturer, {"MANUFACTURER", "MFG"}),
                  "manufacturer not taken from a pair");
    fuzz::require(standsAfterKey(deviceId, info.model, {"MODEL", "MDL"}),
                  "model not taken from a pair");
    return 0;
}
