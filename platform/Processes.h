#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Win32Error.h"

namespace platform {

// How a started program's window is shown (the SW_* values that matter here).
enum class ShowMode : int { Hidden = 0, Normal = 1, Minimized = 2, Maximized = 3 };

struct StartRequest {
    // A Windows command line: the program and its arguments, quoted as CommandLineToArgvW reads
    // them. The backend resolves the program as Windows would find it.
    std::wstring commandLine;
    std::wstring workingDirectory;  // empty: the caller's
    ShowMode show = ShowMode::Normal;
    bool newProcessGroup = false;
    // Standard output and error go to one pipe that readOutput() drains.
    bool captureOutput = false;
    // The program is one of the system's own tools in System32 (rundll32, cmd with fontview,
    // powershell): a 32-bit program on 64-bit Windows, whose view of System32 is SysWOW64,
    // switches that file-system redirection off while the program is found and started, so
    // that the system's 64-bit tool runs. Nothing changes on 32-bit Windows.
    bool nativeSystemFolder = false;
};

// A started process. Destroying it closes the handles; the process itself goes on.
class Process {
public:
    virtual ~Process() = default;

    virtual std::uint32_t pid() const = 0;
    // Waits for the process to end; a negative timeout waits for ever. True when it has ended.
    virtual bool wait(int timeoutMs) = 0;
    // The exit code once ended; kStillActive (259) before.
    virtual std::uint32_t exitCode() = 0;
    // Only with captureOutput: reads up to `size` bytes, blocking until data, end of output
    // (answers 0) or an error (answers -1).
    virtual long readOutput(char* buffer, std::size_t size) = 0;

    static constexpr std::uint32_t kStillActive = 259;
};

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::uint32_t parentPid = 0;
    std::wstring exeName;  // the executable's file name, as Toolhelp's szExeFile
};

// Starting programs, the process list, and this process's own identity and rights.
class Processes {
public:
    virtual ~Processes() = default;

    // CreateProcessW. kElevationRequired when the program needs rights this process lacks.
    virtual win32::Error start(const StartRequest& request, std::unique_ptr<Process>& process) = 0;
    // ShellExecuteExW with the given verb ("open", "runas", ...). "runas" asks the user for
    // consent: kCancelled when declined. `process` is set when a process was started.
    virtual win32::Error shellExecute(const std::wstring& verb, const std::wstring& file,
                                      const std::wstring& parameters, const std::wstring& directory,
                                      ShowMode show, std::unique_ptr<Process>* process) = 0;
    // shellExecute for one of the system's own tools in System32, with the file-system
    // redirection of a 32-bit program on 64-bit Windows switched off around the call (see
    // StartRequest::nativeSystemFolder). Where nothing is redirected it is shellExecute.
    virtual win32::Error shellExecuteNative(const std::wstring& verb, const std::wstring& file,
                                            const std::wstring& parameters,
                                            const std::wstring& directory, ShowMode show,
                                            std::unique_ptr<Process>* process) {
        return shellExecute(verb, file, parameters, directory, show, process);
    }
    virtual win32::Error list(std::vector<ProcessEntry>& processes) = 0;

    virtual std::uint32_t currentProcessId() const = 0;
    virtual std::uint32_t currentThreadId() const = 0;
    // GetModuleFileNameW(nullptr): the running program's path.
    virtual std::wstring currentProgramPath() const = 0;
    // Token checks: member of the built-in Administrators group / token elevated.
    virtual bool isRunAsAdmin() const = 0;
    virtual bool isElevated() const = 0;
    // InitiateShutdown/ExitWindowsEx after enabling the shutdown privilege.
    virtual win32::Error restartComputer(std::uint32_t flags, std::uint32_t reason) = 0;
};

// CommandLineToArgvW's splitting rules (backslashes before quotes, doubled quotes).
std::vector<std::wstring> splitCommandLine(const std::wstring& commandLine);
// The inverse: quotes an argument so that splitCommandLine gives it back unchanged.
std::wstring quoteArgument(const std::wstring& argument);
// The text after the program name (read by the program-name rule), as the program receives it:
// what ShellExecuteW takes as parameters for that program.
std::wstring commandLineArguments(const std::wstring& commandLine);

// What main() returns for the Windows exit code `code`. Windows keeps all 32 bits of it; where
// the system keeps fewer (8 on POSIX), the backend hands the whole code to the process that
// started this one as well, so that its Process::exitCode() answers it.
int exitCodeOfMain(std::uint32_t code);

// The Processes of the system this process runs on (see Platform.h).
Processes& processes();

}  // namespace platform
