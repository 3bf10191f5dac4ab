#pragma once

#include <QString>
#include <functional>

namespace downloads {

// What installDriverPackage answers the page.
enum PackageResult : int {
    kPackageStartedOrNotShown = 0,  // a program was started, or the file manager failed
    kPackageShown = 1,              // the file manager shows the package
    kPackageMissing = 3,
};

// A downloaded package: a program ("exe" suffix, letter case as given) is started on its own
// thread and `onFinished` gets launchAndWait's result once it and everything it started have
// ended; anything else is shown selected in the file manager.
int installDriverPackage(const QString& path, std::function<void(quint32 result)> onFinished);

// How the page's "exec" opens a file, program or URL.
enum class ExecMode { Open = 0, RunAsAdministrator = 1 };
// True when the shell accepted the request; a mode other than 0 or 1 starts nothing.
bool execShell(const QString& target, int mode);

}  // namespace downloads
