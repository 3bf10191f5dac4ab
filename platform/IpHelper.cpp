#include "IpHelper.h"

#include <cstdio>

namespace platform {

bool parseIpv4(const std::string& text, std::uint32_t& address) {
    std::uint32_t value = 0;
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
        std::uint32_t part = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            part = part * 10 + static_cast<std::uint32_t>(text[i] - '0');
            if (++digits > 3 || part > 255)
                return false;
            ++i;
        }
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.')
                return false;
            ++i;
        }
    }
    if (i != text.size())
        return false;
    address = networkOrder(value);
    return true;
}

std::string formatIpv4(std::uint32_t address) {
    const std::uint32_t value = hostOrder(address);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (value >> 24) & 0xFF, (value >> 16) & 0xFF,
                  (value >> 8) & 0xFF, value & 0xFF);
    return text;
}

// Network byte order is the address's bytes first octet first in memory; read without any OS
// header, byte by byte.
std::uint32_t hostOrder(std::uint32_t networkOrder) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = reinterpret_cast<const unsigned char*>(&networkOrder)[i];
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
           (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
}

std::uint32_t networkOrder(std::uint32_t hostOrder) {
    std::uint32_t result = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(&result);
    bytes[0] = static_cast<unsigned char>(hostOrder >> 24);
    bytes[1] = static_cast<unsigned char>(hostOrder >> 16);
    bytes[2] = static_cast<unsigned char>(hostOrder >> 8);
    bytes[3] = static_cast<unsigned char>(hostOrder);
    return result;
}

}  // namespace platform
