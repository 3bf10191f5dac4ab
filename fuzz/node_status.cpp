// A NetBIOS node status response as any host on the LAN (or anyone who can send it a datagram)
// may answer: any bytes, read into the computer name and the workgroup.
#include <vector>

#include "FuzzSupport.h"
#include "sharing/NetBiosNames.h"

namespace {

constexpr std::size_t kLongestName = 15;

// A name as the parser gives it: at most 15 bytes, no zero byte, no space at either end.
bool isCleanName(const std::string& name) {
    return name.size() <= kLongestName && name.find('\0') == std::string::npos &&
           (name.empty() || (name.front() != ' ' && name.back() != ' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::uint8_t> response(data, data + size);
    sharing::NetBiosNames names;
    names.deviceName = "left over";
    names.group = "left over";
    const bool usable = sharing::parseNodeStatus(response, names);
    if (!usable) {
        fuzz::require(names.deviceName.empty() && names.group.empty(),
                      "an unusable answer left names");
    }
    fuzz::require(isCleanName(names.deviceName) && isCleanName(names.group),
                  "a name is not cut and trimmed");
    return 0;
}
