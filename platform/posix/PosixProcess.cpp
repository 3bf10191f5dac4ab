#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "PosixProcesses.h"
#include "UniqueFd.h"

extern char** environ;

namespace platform::posix {

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitPollInterval = 5ms;
// A child ended by a signal reports 128 + the signal number, as a shell shows it.
constexpr std::uint32_t kSignalExitBase = 128;
// An exit status holds 8 bits, a Windows exit code 32 (Kestrune exits with 1060, say). A child
// of this build writes its whole code to this descriptor (named in its environment) before it
// exits; the parent reads it from the other end of the pipe once the child has ended.
constexpr int kExitCodeFd = 198;
constexpr char kExitCodeVariable[] = "CORVANTA_EXIT_CODE_FD";
constexpr std::uint32_t kStatusBits = 0xFF;

class SpawnFileActions {
public:
    SpawnFileActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
public:
    SpawnAttributes() { posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

class PosixProcess final : public Process {
public:
    PosixProcess(pid_t pid, UniqueFd output, UniqueFd exitCode)
        : pid_(pid), output_(std::move(output)), exitCode_(std::move(exitCode)) {}

    ~PosixProcess() override {
        if (!ended_ && !collect(WNOHANG)) {
            // The process goes on without us; someone must still collect its exit status, or it
            // stays a zombie for the rest of our life.
            const pid_t pid = pid_;
            std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
        }
    }

    std::uint32_t pid() const override { return static_cast<std::uint32_t>(pid_); }

    bool wait(int timeoutMs) override {
        if (ended_) {
            return true;
        }
        if (timeoutMs < 0) {
            return collect(0);
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!collect(WNOHANG)) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(kWaitPollInterval);
        }
        return true;
    }

    std::uint32_t exitCode() override {
        if (!ended_ && !collect(WNOHANG)) {
            return kStillActive;
        }
        if (WIFEXITED(status_)) {
            const auto status = static_cast<std::uint32_t>(WEXITSTATUS(status_));
            return fullExitCode(status);
        }
        return kSignalExitBase + static_cast<std::uint32_t>(WTERMSIG(status_));
    }

    long readOutput(char* buffer, std::size_t size) override {
        if (!output_.valid()) {
            return -1;
        }
        ssize_t n;
        do {
            n = ::read(output_.get(), buffer, size);
        } while (n < 0 && errno == EINTR);
        return static_cast<long>(n);
    }

private:
    // The whole code the child reported, when it agrees with the status the system kept.
    std::uint32_t fullExitCode(std::uint32_t status) {
        if (!reported_ && exitCode_.valid()) {
            std::uint32_t code = 0;
            if (::read(exitCode_.get(), &code, sizeof code) == ssize_t(sizeof code) &&
                (code & kStatusBits) == status) {
                reportedCode_ = code;
                reported_ = true;
            }
            exitCode_.reset();
        }
        return reported_ ? reportedCode_ : status;
    }

    // True once the exit status is collected.
    bool collect(int flags) {
        pid_t result;
        do {
            result = waitpid(pid_, &status_, flags);
        } while (result < 0 && errno == EINTR);
        if (result == pid_ || (result < 0 && errno == ECHILD)) {
            ended_ = true;
        }
        return ended_;
    }

    pid_t pid_;
    UniqueFd output_;
    UniqueFd exitCode_;
    bool ended_ = false;
    bool reported_ = false;
    std::uint32_t reportedCode_ = 0;
    int status_ = 0;
};

// The name part of "NAME=value", with its "=".
std::string variablePrefix(const std::string& variable) {
    return variable.substr(0, variable.find('=') + 1);
}

// The parent's environment with the exit-code descriptor named and the given variables set.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> replaced = extra;
    replaced.push_back(std::string(kExitCodeVariable) + "=" + std::to_string(kExitCodeFd));
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text(*variable);
        const bool keep = std::none_of(replaced.begin(), replaced.end(), [&](const std::string& v) {
            return text.rfind(variablePrefix(v), 0) == 0;
        });
        if (keep) {
            variables.push_back(text);
        }
    }
    variables.insert(variables.end(), replaced.begin(), replaced.end());
    return variables;
}

// A pipe whose both ends are closed on exec, so no other child ever holds them.
int makePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return errno;
    }
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    return 0;
}

int prepareAttributes(SpawnAttributes& attributes, const SpawnOptions& options) {
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (options.newProcessGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(attributes.get(), 0);
    }
    // The child starts with no blocked signals and default actions, whatever our threads set.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(attributes.get(), &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(attributes.get(), &signals);
    return posix_spawnattr_setflags(attributes.get(), flags);
}

int prepareFileActions(SpawnFileActions& actions, const SpawnOptions& options, int outputFd) {
    int error = 0;
    if (outputFd >= 0) {
        error =
            posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (error == 0) {
            error = posix_spawn_file_actions_adddup2(actions.get(), outputFd, STDOUT_FILENO);
        }
        if (error == 0) {
            error = posix_spawn_file_actions_adddup2(actions.get(), outputFd, STDERR_FILENO);
        }
    }
    if (error == 0 && !options.workingDirectory.empty()) {
        error =
            posix_spawn_file_actions_addchdir_np(actions.get(), options.workingDirectory.c_str());
    }
    return error;
}

}  // namespace

win32::Error spawn(const std::vector<std::string>& argv, const SpawnOptions& options,
                   std::unique_ptr<Process>& process) {
    if (argv.empty() || argv[0].empty()) {
        return win32::kFileNotFound;
    }
    UniqueFd readEnd;
    UniqueFd writeEnd;
    if (options.captureOutput) {
        if (const int error = makePipe(readEnd, writeEnd)) {
            return win32FromErrno(error);
        }
    }
    UniqueFd exitCodeRead;
    UniqueFd exitCodeWrite;
    if (const int error = makePipe(exitCodeRead, exitCodeWrite)) {
        return win32FromErrno(error);
    }
    fcntl(exitCodeRead.get(), F_SETFL, O_NONBLOCK);
    SpawnAttributes attributes;
    SpawnFileActions actions;
    int error = prepareAttributes(attributes, options);
    if (error == 0) {
        error = prepareFileActions(actions, options, writeEnd.get());
    }
    if (error == 0) {
        error = posix_spawn_file_actions_adddup2(actions.get(), exitCodeWrite.get(), kExitCodeFd);
    }
    if (error != 0) {
        return win32FromErrno(error);
    }
    std::vector<char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    std::vector<std::string> variables = childEnvironment(options.variables);
    std::vector<char*> environment;
    for (std::string& variable : variables) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    pid_t pid = 0;
    error = posix_spawnp(&pid, arguments[0], actions.get(), attributes.get(), arguments.data(),
                         environment.data());
    if (error != 0) {
        return win32FromErrno(error);
    }
    // Our copy of the write end goes now, so the reader sees the end of output when the child
    // (and whatever inherited its output) is done.
    writeEnd.reset();
    exitCodeWrite.reset();
    process = std::make_unique<PosixProcess>(pid, std::move(readEnd), std::move(exitCodeRead));
    return win32::kSuccess;
}

}  // namespace platform::posix

namespace platform {

int exitCodeOfMain(std::uint32_t code) {
    const char* descriptor = std::getenv(posix::kExitCodeVariable);
    if (descriptor != nullptr && std::atoi(descriptor) == posix::kExitCodeFd) {
        ssize_t written;
        do {
            written = ::write(posix::kExitCodeFd, &code, sizeof code);
        } while (written < 0 && errno == EINTR);
    }
    return static_cast<int>(code);
}

}  // namespace platform
