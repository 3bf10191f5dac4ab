#include "KestruneMode.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kestrune {

std::optional<int> parseMode(const std::string& argument) {
    const char* begin = argument.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace kestrune
