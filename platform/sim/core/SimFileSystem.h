#pragma once

#include <QString>

#include "platform/FileSystem.h"

namespace platform::sim {

// Windows paths of the simulated PC: drive X: is the folder drive_x/ of the machine directory.
// Windows does not tell letter case apart in names, Linux does: each component of a Windows
// path is matched against what exists without regard to case, so "c:\windows\SYSTEM32" finds
// drive_c/Windows/system32. Components that do not exist yet are kept as written.
class SimFileSystem : public FileSystem {
public:
    explicit SimFileSystem(const QString& machineDirectory);

    std::wstring hostPath(const std::wstring& windowsPath) const override;
    std::wstring windowsPath(const std::wstring& hostPath) const override;

    QString hostPath(const QString& windowsPath) const;
    QString windowsPath(const QString& hostPath) const;

    static QString driveFolderName(QChar letter);

private:
    QString resolveOnDrive(QChar letter, const QString& pathOnDrive) const;

    QString m_machineDirectory;
};

}  // namespace platform::sim
