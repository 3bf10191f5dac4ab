// Facts about the running Windows: version, architecture, names and the shell's known folders.
// File system paths on Windows are Windows paths, so FileSystem is the identity.
#include <windows.h>
// (windows.h first: the shell headers need its types.)
#include <knownfolders.h>
#include <lmcons.h>
#include <shlobj.h>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

// RtlGetVersion reports the real version; GetVersionExW answers what the manifest allows.
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);

WindowsVersion readVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) {
        return {};
    }
    WindowsVersion version;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.servicePackMajor = info.wServicePackMajor;
    version.servicePackMinor = info.wServicePackMinor;
    return version;
}

// GetComputerNameW and GetUserNameW: the size they report on ERROR_INSUFFICIENT_BUFFER (or
// ERROR_BUFFER_OVERFLOW) is what the next try gets.
template <class Call>
std::wstring growingName(DWORD initial, Call call) {
    std::wstring buffer(initial, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (call(&buffer[0], &size)) {
            // GetComputerNameW counts without the null, GetUserNameW with it.
            buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
            return buffer;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_BUFFER_OVERFLOW) {
            return {};
        }
        buffer.assign(std::max<DWORD>(size + 1, buffer.size() * 2), L'\0');
    }
    return {};
}

const KNOWNFOLDERID* folderId(KnownFolder folder) {
    switch (folder) {
        case KnownFolder::Documents:
            return &FOLDERID_Documents;
        case KnownFolder::Downloads:
            return &FOLDERID_Downloads;
        case KnownFolder::Desktop:
            return &FOLDERID_Desktop;
        case KnownFolder::RoamingAppData:
            return &FOLDERID_RoamingAppData;
        case KnownFolder::LocalAppData:
            return &FOLDERID_LocalAppData;
        case KnownFolder::ProgramData:
            return &FOLDERID_ProgramData;
        case KnownFolder::ProgramFiles:
            return &FOLDERID_ProgramFiles;
        case KnownFolder::Windows:
            return &FOLDERID_Windows;
        case KnownFolder::System:
            return &FOLDERID_System;
        case KnownFolder::Fonts:
            return &FOLDERID_Fonts;
    }
    return nullptr;
}

using TaskMemory = Unique<wchar_t*, CoTaskMemFree>;

class Win32SystemInfo final : public SystemInfo {
public:
    WindowsVersion version() const override { return readVersion(); }

    ProcessorArchitecture nativeArchitecture() const override {
        SYSTEM_INFO info{};
        GetNativeSystemInfo(&info);
        switch (info.wProcessorArchitecture) {
            case PROCESSOR_ARCHITECTURE_AMD64:
                return ProcessorArchitecture::Amd64;
            case PROCESSOR_ARCHITECTURE_ARM:
                return ProcessorArchitecture::Arm;
            case PROCESSOR_ARCHITECTURE_ARM64:
                return ProcessorArchitecture::Arm64;
            case PROCESSOR_ARCHITECTURE_IA64:
                return ProcessorArchitecture::Ia64;
            default:
                return ProcessorArchitecture::X86;
        }
    }

    std::wstring computerName() const override {
        return growingName(MAX_COMPUTERNAME_LENGTH + 1, [](wchar_t* buffer, DWORD* size) {
            return GetComputerNameW(buffer, size) != FALSE;
        });
    }

    std::wstring userName() const override {
        return growingName(UNLEN + 1, [](wchar_t* buffer, DWORD* size) {
            return GetUserNameW(buffer, size) != FALSE;
        });
    }

    bool isWow64() const override {
        BOOL wow64 = FALSE;
        return IsWow64Process(GetCurrentProcess(), &wow64) != FALSE && wow64 != FALSE;
    }

    std::wstring tempFolder() const override {
        std::wstring buffer(MAX_PATH + 1, L'\0');
        DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
        if (length > buffer.size()) {
            buffer.assign(length, L'\0');
            length = GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
        }
        buffer.resize(length <= buffer.size() ? length : 0);
        return buffer;
    }

    std::wstring knownFolder(KnownFolder folder) const override {
        const KNOWNFOLDERID* id = folderId(folder);
        wchar_t* path = nullptr;
        if (id == nullptr || FAILED(SHGetKnownFolderPath(*id, 0, nullptr, &path))) {
            CoTaskMemFree(path);
            return {};
        }
        const TaskMemory owned(path);
        return path;
    }

    std::uint16_t userDefaultUiLanguage() const override { return GetUserDefaultUILanguage(); }
};

class Win32FileSystem final : public FileSystem {
public:
    std::wstring hostPath(const std::wstring& windowsPath) const override { return windowsPath; }
    std::wstring windowsPath(const std::wstring& hostPath) const override { return hostPath; }
};

}  // namespace

std::unique_ptr<SystemInfo> makeSystemInfo() {
    return std::make_unique<Win32SystemInfo>();
}

std::unique_ptr<FileSystem> makeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace platform::win32
