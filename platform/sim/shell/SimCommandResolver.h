#pragma once

#include <string>
#include <vector>

#include "platform/sim/shell/SimProcesses.h"

namespace platform::sim {

// Which program of this machine a Windows command line runs on the simulated PC.
enum class CommandKind {
    OwnProgram,   // Corvanta's own program beside Corvanta ("Kestrune.exe" -> <folder>/kestrune)
    Shell,        // "cmd /c X": X through /bin/sh -c
    SimProgram,   // a Windows program served by "corvanta-sim program <name> ..."
    WindowsPath,  // a program under a drive letter, mapped into the machine's drives
    Host,         // anything else: a program of this machine, found on PATH
};

struct ResolvedCommand {
    CommandKind kind = CommandKind::Host;
    std::vector<std::string> argv;  // UTF-8; empty when the line names no program
};

// Resolves without touching the file system (the path mapping is the config's).
ResolvedCommand resolveCommandLine(const std::wstring& commandLine,
                                   const SimProcessesConfig& config);

}  // namespace platform::sim
