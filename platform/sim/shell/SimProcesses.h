#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace platform::sim {

// What the simulated PC tells the process facility about itself.
struct SimProcessesConfig {
    // The profile's answer to an elevation prompt.
    bool consentGiven = true;
    bool runAsAdmin = true;
    bool elevated = true;
    // This process is a 32-bit program on a 64-bit PC: its System32 is SysWOW64 unless a start
    // asks for the system's own folder.
    bool wow64 = false;
    // Folder of Corvanta's own programs (Kestrune, the crash reporter, corvanta-sim).
    std::wstring programFolder;
    // Maps a Windows path to where it lives on this machine (drive_c/).
    std::function<std::wstring(const std::wstring&)> hostPath;
    // The programs of the PC's facilities (lower case, no ".exe"), run as
    // "corvanta-sim program NAME ...".
    std::vector<std::wstring> simPrograms;
    // Records a restart request in the machine's state.
    std::function<win32::Error(std::uint32_t flags, std::uint32_t reason)> recordRestart;
};

// Real processes on this machine, with Windows programs resolved to the simulated PC's own
// programs and elevation answered by the profile.
std::unique_ptr<Processes> makeSimProcesses(SimProcessesConfig config);

}  // namespace platform::sim
