#include "NetPrinterInfo.h"

namespace netscan {

NetPrinterInfo NetPrinterInfo::fromDeviceId(const std::string& ip, const std::string& deviceId) {
    NetPrinterInfo info;
    info.ip = ip;
    info.deviceId = deviceId;
    std::size_t position = 0;
    for (std::size_t end; (end = deviceId.find(';', position)) != std::string::npos;
         position = end + 1) {
        const std::string pair = deviceId.substr(position, end - position);
        const std::size_t colon = pair.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = pair.substr(0, colon);
        const std::string value = pair.substr(colon + 1);
        if (key == "MANUFACTURER" || key == "MFG")
            info.manufacturer = value;
        else if (key == "MODEL" || key == "MDL")
            info.model = value;
    }
    return info;
}

}  // namespace netscan
