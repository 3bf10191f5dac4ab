#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "PosixProcesses.h"

namespace platform::posix {

namespace {

constexpr char kSelfExecutable[] = "/proc/self/exe";
constexpr char kUrlMarker[] = "://";

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool findOnPath(const std::string& name, std::string* resolved) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::string::size_type start = 0;
    while (start <= folders.size()) {
        auto end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate)) {
            if (resolved) {
                *resolved = candidate;
            }
            return true;
        }
        start = end + 1;
    }
    return false;
}

class PosixProcesses final : public Processes {
public:
    win32::Error start(const StartRequest& request, std::unique_ptr<Process>& process) override {
        std::vector<std::string> argv;
        for (const std::wstring& argument : splitCommandLine(request.commandLine)) {
            argv.push_back(toUtf8(argument));
        }
        SpawnOptions options;
        options.workingDirectory = toUtf8(request.workingDirectory);
        options.newProcessGroup = request.newProcessGroup;
        options.captureOutput = request.captureOutput;
        return spawn(argv, options, process);
    }

    // Every verb opens: on this machine there is no prompt to ask for rights (the simulated PC
    // answers "runas" from its profile before it gets here). A program is started; a folder, a
    // document or an address has no viewer we would start unasked, so it is logged and counts
    // as opened.
    win32::Error shellExecute(const std::wstring& verb, const std::wstring& file,
                              const std::wstring& parameters, const std::wstring& directory,
                              ShowMode, std::unique_ptr<Process>* process) override {
        const std::string target = toUtf8(file);
        std::string program;
        if (findExecutable(target, &program)) {
            std::vector<std::string> argv = splitArguments(parameters);
            argv.insert(argv.begin(), program);
            SpawnOptions options;
            options.workingDirectory = toUtf8(directory);
            std::unique_ptr<Process> started;
            const win32::Error error = spawn(argv, options, started);
            if (error == win32::kSuccess && process) {
                *process = std::move(started);
            }
            return error;
        }
        std::error_code ignored;
        if (target.find(kUrlMarker) == std::string::npos &&
            !std::filesystem::exists(target, ignored)) {
            return win32::kFileNotFound;
        }
        std::cerr << "shellExecute: " << toUtf8(verb) << " \"" << target
                  << "\": not a program, nothing started\n";
        return win32::kSuccess;
    }

    win32::Error list(std::vector<ProcessEntry>& processes) override {
        std::vector<ProcessRow> rows;
        const win32::Error error = listProcesses(rows);
        processes.clear();
        for (ProcessRow& row : rows) {
            processes.push_back(std::move(row.entry));
        }
        return error;
    }

    std::uint32_t currentProcessId() const override { return posix::currentProcessId(); }
    std::uint32_t currentThreadId() const override { return posix::currentThreadId(); }
    std::wstring currentProgramPath() const override { return posix::currentProgramPath(); }

    // The superuser stands for both the Administrators group and an elevated token.
    bool isRunAsAdmin() const override { return ::geteuid() == 0; }
    bool isElevated() const override { return ::geteuid() == 0; }

    // This machine's own restart is never ours to start.
    win32::Error restartComputer(std::uint32_t, std::uint32_t) override {
        return win32::kAccessDenied;
    }
};

}  // namespace

std::vector<std::string> splitArguments(const std::wstring& tail) {
    // The program slot gets a placeholder so that the tail is read by the argument rules.
    std::vector<std::wstring> parts = splitCommandLine(L"x " + tail);
    std::vector<std::string> arguments;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        arguments.push_back(toUtf8(parts[i]));
    }
    return arguments;
}

bool findExecutable(const std::string& path, std::string* resolved) {
    if (path.empty()) {
        return false;
    }
    if (path.find('/') == std::string::npos) {
        return findOnPath(path, resolved);
    }
    if (!isExecutableFile(path)) {
        return false;
    }
    if (resolved) {
        *resolved = path;
    }
    return true;
}

std::uint32_t currentProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

std::uint32_t currentThreadId() {
    return static_cast<std::uint32_t>(::syscall(SYS_gettid));
}

std::wstring currentProgramPath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink(kSelfExecutable, error);
    return error ? std::wstring() : fromUtf8(path.string());
}

std::unique_ptr<Processes> makePosixProcesses() {
    return std::make_unique<PosixProcesses>();
}

}  // namespace platform::posix
