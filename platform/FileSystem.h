#pragma once

#include <string>

namespace platform {

// Where Windows paths live on this machine. On Windows both directions are the identity; on a
// simulated PC, "C:\..." lives in the machine's drive_c/ folder.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The host path for a Windows path (any letter case). A path that is already a host path
    // comes back unchanged.
    virtual std::wstring hostPath(const std::wstring& windowsPath) const = 0;
    // The Windows path for a host path inside the system's drives; other paths unchanged.
    virtual std::wstring windowsPath(const std::wstring& hostPath) const = 0;
};

// The FileSystem of the system this process runs on (see Platform.h).
FileSystem& fileSystem();

}  // namespace platform
