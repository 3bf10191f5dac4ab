#pragma once

#include <optional>
#include <string>

namespace kestrune {

// The one argument Corvanta starts Kestrune with, read as strtol reads it: base 10, leading
// blanks and a sign accepted, anything after the number ignored. Empty when it is no number or
// out of the int range.
std::optional<int> parseMode(const std::string& argument);

}  // namespace kestrune
