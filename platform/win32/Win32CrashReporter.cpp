// The unhandled-exception filter that starts the crash reporter: the command line's fixed parts
// are kept ready in fixed buffers, so that at the time of the crash only numbers are formatted.
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <mutex>

#include "platform/CrashReporter.h"

namespace platform {

namespace {

constexpr std::size_t kPathCapacity = 32768;  // the longest path Windows accepts
constexpr std::size_t kTextCapacity = 256;
constexpr std::size_t kCommandCapacity = kPathCapacity + 4 * kTextCapacity;

struct ReporterCommand {
    wchar_t program[kPathCapacity] = {};
    wchar_t fileVersion[kTextCapacity] = {};
    // Two slots so that a new product name is written beside the one a crash may be reading.
    wchar_t productName[2][kTextCapacity] = {};
    std::atomic<int> productSlot{0};
    wchar_t commandLine[kCommandCapacity] = {};
};

ReporterCommand g_command;
std::mutex g_productMutex;
std::atomic_flag g_crashing = ATOMIC_FLAG_INIT;

void copyText(wchar_t* destination, std::size_t capacity, const std::wstring& text) {
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::wmemcpy(destination, text.data(), length);
    destination[length] = L'\0';
}

// program pid tid address fileVersion empty productName; the address as Windows prints "%p".
void runReporter(EXCEPTION_POINTERS* information) {
    const int written =
        _snwprintf(g_command.commandLine, kCommandCapacity - 1, L"\"%ls\" %lu %lu %p %ls %ls %ls",
                   g_command.program, GetCurrentProcessId(), GetCurrentThreadId(),
                   static_cast<void*>(information), g_command.fileVersion, L"empty",
                   g_command.productName[g_command.productSlot.load()]);
    if (written < 0) {
        return;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, g_command.commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return;
    }
    WaitForSingleObject(started.hProcess, INFINITE);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* information) {
    if (g_crashing.test_and_set()) {
        // Another thread crashed first and reports; the process ends with its report.
        Sleep(INFINITE);
    }
    runReporter(information);
    // The process then ends as it would have without the filter.
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void installCrashReporter(const CrashReporterCommand& command) {
    copyText(g_command.program, kPathCapacity, command.program);
    copyText(g_command.fileVersion, kTextCapacity, command.fileVersion);
    setCrashReporterProductName(command.productName);
    SetUnhandledExceptionFilter(onUnhandledException);
}

void setCrashReporterProductName(const std::wstring& productName) {
    std::lock_guard<std::mutex> lock(g_productMutex);
    const int next = 1 - g_command.productSlot.load();
    copyText(g_command.productName[next], kTextCapacity, productName);
    g_command.productSlot.store(next);
}

}  // namespace platform
