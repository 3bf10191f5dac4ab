// How the backend reads a failed call's reason, and whether it runs under Wine.
#include <windows.h>

#include "Backend.h"

namespace platform::win32 {

Error lastError() {
    return static_cast<Error>(GetLastError());
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

}  // namespace platform::win32
