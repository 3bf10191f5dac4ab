#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The operating system's version as GetVersionEx / RtlGetVersion report it.
struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;

    // VerifyVersionInfo with VER_GREATER_EQUAL on major, minor and service pack: true when
    // this version is at least (major, minor, servicePack).
    bool isAtLeast(std::uint32_t wantMajor, std::uint32_t wantMinor,
                   std::uint16_t wantServicePack = 0) const;
};

// Folders the shell knows by id (SHGetKnownFolderPath, GetTempPath).
enum class KnownFolder {
    Documents,
    Downloads,
    Desktop,
    RoamingAppData,
    LocalAppData,
    ProgramData,
    ProgramFiles,
    Windows,
    System,
    Fonts,
};

// Processor architecture as GetNativeSystemInfo names it.
enum class ProcessorArchitecture { X86, Amd64, Arm, Arm64, Ia64 };

// Facts about the running Windows installation. Paths are Windows paths (see FileSystem for
// where they live on this machine).
class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    virtual WindowsVersion version() const = 0;
    virtual ProcessorArchitecture nativeArchitecture() const = 0;
    virtual std::wstring computerName() const = 0;
    virtual std::wstring userName() const = 0;
    // IsWow64Process for this process: a 32-bit program on 64-bit Windows.
    virtual bool isWow64() const = 0;
    // GetTempPath: the user's temporary folder, with a trailing backslash.
    virtual std::wstring tempFolder() const = 0;
    // The folder's path, or an empty string when the system has none.
    virtual std::wstring knownFolder(KnownFolder folder) const = 0;
    // GetUserDefaultUILanguage.
    virtual std::uint16_t userDefaultUiLanguage() const = 0;
};

// The SystemInfo of the system this process runs on (see Platform.h).
SystemInfo& systemInfo();

}  // namespace platform
