#include "SystemInfo.h"

#include <tuple>

namespace platform {

bool WindowsVersion::isAtLeast(std::uint32_t wantMajor, std::uint32_t wantMinor,
                               std::uint16_t wantServicePack) const {
    return std::tie(major, minor, servicePackMajor) >=
           std::tie(wantMajor, wantMinor, wantServicePack);
}

}  // namespace platform
