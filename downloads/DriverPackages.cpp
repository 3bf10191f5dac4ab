#include "DriverPackages.h"

#include <QFileInfo>
#include <thread>

#include "platform/Platform.h"
#include "platform/Processes.h"
#include "process/FileHelpers.h"
#include "process/ProcessLauncher.h"

namespace downloads {

namespace {

constexpr char kProgramSuffix[] = "exe";

bool isProgram(const QString& path) {
    return QFileInfo(path).suffix() == QLatin1String(kProgramSuffix);
}

void startAndWaitDetached(const QString& path, std::function<void(quint32)> onFinished) {
    std::thread([path, onFinished = std::move(onFinished)] {
        // Quoted, so that a folder with spaces in its name cannot split the program's path.
        const quint32 result = process::launchAndWait(
            QString::fromStdWString(platform::quoteArgument(path.toStdWString())));
        if (onFinished)
            onFinished(result);
    }).detach();
}

}  // namespace

int installDriverPackage(const QString& path, std::function<void(quint32 result)> onFinished) {
    if (!process::pathFileExists(path))
        return kPackageMissing;
    if (isProgram(path)) {
        startAndWaitDetached(path, std::move(onFinished));
        return kPackageStartedOrNotShown;
    }
    return process::openDirAndSelectFile(path) ? kPackageShown : kPackageStartedOrNotShown;
}

bool execShell(const QString& target, int mode) {
    if (mode != static_cast<int>(ExecMode::Open) &&
        mode != static_cast<int>(ExecMode::RunAsAdministrator))
        return false;
    const std::wstring verb =
        mode == static_cast<int>(ExecMode::RunAsAdministrator) ? L"runas" : L"open";
    return platform::processes().shellExecute(verb, target.toStdWString(), std::wstring(),
                                              std::wstring(), platform::ShowMode::Normal,
                                              nullptr) == platform::win32::kSuccess;
}

}  // namespace downloads
