#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

// Real processes on Linux. The simulated PC builds on these after it has resolved a Windows
// command line to a program of this machine.
namespace platform::posix {

struct SpawnOptions {
    std::string workingDirectory;  // empty: the caller's
    // The child leads a new process group, as CREATE_NEW_PROCESS_GROUP makes it.
    bool newProcessGroup = false;
    // Standard output and error go to one pipe (Process::readOutput); standard input is
    // /dev/null, as a Windows child started with its own standard handles has none.
    bool captureOutput = false;
    // Variables ("NAME=value") the child has in addition to this process's environment, or in
    // place of the variables of the same names.
    std::vector<std::string> variables;
};

// Starts argv[0] (searched on PATH when it has no slash) with the given arguments, UTF-8.
// Answers the Win32 code of the failure (kFileNotFound when there is no such program).
win32::Error spawn(const std::vector<std::string>& argv, const SpawnOptions& options,
                   std::unique_ptr<Process>& process);

// One row of the process list with the command line it was started with.
struct ProcessRow {
    ProcessEntry entry;
    std::vector<std::string> arguments;
};

// The running processes (zombies left out: they have exited) from /proc.
win32::Error listProcesses(std::vector<ProcessRow>& rows);

// The Win32 code closest to an errno value.
win32::Error win32FromErrno(int error);

// UTF-8 <-> wide text at this boundary.
std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

// Processes of this machine, the command line split as CommandLineToArgvW does and run as is.
std::unique_ptr<Processes> makePosixProcesses();

// The facts of the running process, shared with the simulated PC's facility.
std::uint32_t currentProcessId();
std::uint32_t currentThreadId();
std::wstring currentProgramPath();

// The arguments of a command-line tail (what follows the program name), split as
// CommandLineToArgvW splits them, in UTF-8.
std::vector<std::string> splitArguments(const std::wstring& tail);

// True when `path` names a regular file we may execute; a name without a slash is looked up on
// PATH. `resolved` receives the file found.
bool findExecutable(const std::string& path, std::string* resolved = nullptr);

}  // namespace platform::posix
