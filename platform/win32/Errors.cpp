// How the backend reads a failed call's reason, and whether it runs under Wine.
#include <windows.h>

#include <string>

#include "Backend.h"

namespace platform::win32 {

Error lastError() {
    return static_cast<Error>(GetLastError());
}

Error failureReason() {
    const Error error = lastError();
    return error != kSuccess ? error : kCallNotImplemented;
}

void setLastError(Error error) {
    SetLastError(static_cast<DWORD>(error));
}

bool runningUnderWine() {
    static const bool wine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

void* systemFunction(const wchar_t* module, const char* function) {
    HMODULE library = GetModuleHandleW(module);
    if (library == nullptr) {
        // From the system folder by its full path (LOAD_LIBRARY_SEARCH_SYSTEM32 needs an update
        // on Windows 7); kept loaded for the life of the process, as the functions found in it.
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return nullptr;
        }
        library = LoadLibraryW((std::wstring(folder, length) + L"\\" + module).c_str());
    }
    if (library == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(library, function));
}

}  // namespace platform::win32
