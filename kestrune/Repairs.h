#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/Win32Error.h"

// The repairs Kestrune performs, each answering the code Windows gave (Win32, COM or
// configuration-manager), on the platform facilities of the system it runs on.
namespace kestrune {

// How long a stop of the spooler may take, counted from opening the service manager. The
// environment variable KESTRUNE_STOP_TIMEOUT_MS (milliseconds) shortens it for tests.
std::chrono::milliseconds stopTimeout();

// Stops the Spooler service and, unless `stopOnly`, sets it to start automatically and starts
// it. A stop that does not end within stopTimeout() leaves the service alone and answers
// ERROR_SERVICE_REQUEST_TIMEOUT.
platform::win32::Error restartSpooler(bool stopOnly);

// The spool folder as the registry names it ("DefaultSpoolDirectory"); empty, after printing
// why, when it cannot be read.
std::wstring readSpoolFolder();

// Stops the spooler, empties the spool folder (its files and sub-folders; the folder stays;
// what cannot be deleted stays too) and starts the spooler again: the start's code.
platform::win32::Error cleanSpoolFolder();

// Enables one firewall rule group for the current profiles: 0 or the COM error.
std::int32_t enableRuleGroup(const std::wstring& group);
// Both rule groups printer sharing needs: 0 when both succeeded, else 1.
int enableSharingRuleGroups();

// Asks Windows to detect the devices of the whole tree again: a configuration-manager code.
std::uint32_t reenumerateDevices();

}  // namespace kestrune
