// The device-ID query of a build without an SNMP library: no session can be opened, so every
// host answers kSnmpOpenFailed and the scan reports no network printer.
#include "SnmpDeviceId.h"

namespace netscan {

int queryDeviceId(const std::string& /*ip*/, std::string& deviceId) {
    deviceId.clear();
    return kSnmpOpenFailed;
}

}  // namespace netscan
