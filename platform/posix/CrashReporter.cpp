#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "PosixProcesses.h"
#include "platform/CrashReporter.h"

extern char** environ;

// The signal handler below may only use async-signal-safe calls: everything it passes to the
// reporter lives in fixed buffers that are filled before any crash, and it formats the numbers
// itself.
namespace platform {

namespace {

constexpr std::size_t kPathCapacity = 4096;
constexpr std::size_t kTextCapacity = 256;
constexpr std::size_t kNumberCapacity = 32;
constexpr std::size_t kAlternateStackSize = 64 * 1024;
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kExecFailed = 127;

struct ReporterCommand {
    char program[kPathCapacity] = {};
    char processId[kNumberCapacity] = {};
    char threadId[kNumberCapacity] = {};
    char address[kNumberCapacity] = {};
    char fileVersion[kTextCapacity] = {};
    char empty[sizeof("empty")] = "empty";
    // Two slots so that a new product name is written beside the one a crash may be reading.
    char productName[2][kTextCapacity] = {};
    std::atomic<int> productSlot{0};
};

ReporterCommand g_command;
std::mutex g_productMutex;
std::atomic_flag g_crashing = ATOMIC_FLAG_INIT;
char g_alternateStack[kAlternateStackSize];

void copyText(char* destination, std::size_t capacity, const std::string& text) {
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

void formatDecimal(char* out, unsigned long value) {
    char digits[kNumberCapacity];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = digits[count - 1 - i];
    }
    out[count] = '\0';
}

// As Windows prints "%p": upper-case hex digits, the pointer's full width, no prefix.
void formatPointer(char* out, const void* pointer) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    auto value = reinterpret_cast<std::uintptr_t>(pointer);
    constexpr std::size_t width = sizeof(void*) * 2;
    for (std::size_t i = 0; i < width; ++i) {
        out[width - 1 - i] = kHexDigits[value & 0xF];
        value >>= 4;
    }
    out[width] = '\0';
}

pid_t forkInSignalHandler() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    return _Fork();  // fork without the at-fork handlers, safe in a signal handler
#else
    return fork();
#endif
}

void runReporter(const void* faultInformation) {
    formatDecimal(g_command.processId, static_cast<unsigned long>(getpid()));
    formatDecimal(g_command.threadId, static_cast<unsigned long>(syscall(SYS_gettid)));
    formatPointer(g_command.address, faultInformation);
    char* argv[] = {g_command.program,
                    g_command.processId,
                    g_command.threadId,
                    g_command.address,
                    g_command.fileVersion,
                    g_command.empty,
                    g_command.productName[g_command.productSlot.load()],
                    nullptr};
    const pid_t child = forkInSignalHandler();
    if (child == 0) {
        execve(g_command.program, argv, environ);
        _exit(kExecFailed);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

void dieAsIntended(int signalNumber) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signalNumber, &defaultAction, nullptr);
    // Still blocked while the handler runs: delivered on return with the default action. A
    // fault that is not raised happens again on return and ends the process the same way.
    raise(signalNumber);
}

void onFatalSignal(int signalNumber, siginfo_t* information, void*) {
    if (g_crashing.test_and_set()) {
        // Another thread crashed first and reports; the process ends with its report.
        for (;;) {
            pause();
        }
    }
    runReporter(information);
    dieAsIntended(signalNumber);
}

void installAlternateStack() {
    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof(g_alternateStack);
    sigaltstack(&stack, nullptr);
}

}  // namespace

void installCrashReporter(const CrashReporterCommand& command) {
    copyText(g_command.program, kPathCapacity, posix::toUtf8(command.program));
    copyText(g_command.fileVersion, kTextCapacity, posix::toUtf8(command.fileVersion));
    setCrashReporterProductName(command.productName);
    installAlternateStack();  // a stack overflow still gets its report
    struct sigaction action {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kFatalSignals) {
        sigaction(signalNumber, &action, nullptr);
    }
}

void setCrashReporterProductName(const std::wstring& productName) {
    std::lock_guard<std::mutex> lock(g_productMutex);
    const int next = 1 - g_command.productSlot.load();
    copyText(g_command.productName[next], kTextCapacity, posix::toUtf8(productName));
    g_command.productSlot.store(next);
}

}  // namespace platform
