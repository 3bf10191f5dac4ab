#pragma once

#include "platform/Win32Error.h"

namespace platform::sim {

// What a facility of the simulated PC answers when its state document cannot be read or
// written (a corrupt file, a full disk, a machine that could not be opened). Windows keeps the
// configuration of these facilities in the registry, so these are the errors it gives when the
// registry fails: ERROR_REGISTRY_CORRUPT and ERROR_REGISTRY_IO_FAILED.
constexpr win32::Error kStateUnreadable = 1015;
constexpr win32::Error kStateUnwritable = 1016;

}  // namespace platform::sim
