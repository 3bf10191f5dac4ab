#include "CrashHandler.h"

#include <QDir>
#include <QFileInfo>

#include "BuildInfo.h"
#include "ProductSection.h"
#include "VersionInfo.h"
#include "platform/CrashReporter.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

namespace process {

namespace {

constexpr char kReporterName[] = "dumper";

// The reporter ships beside the program: "dumper.exe" on Windows, "dumper" here (the name the
// simulated PC resolves "dumper.exe" to).
QString reporterPath() {
    const QString program = QString::fromStdWString(platform::processes().currentProgramPath());
    const QString folder = QFileInfo(program).absolutePath();
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + QLatin1String(kReporterName) +
                                    QLatin1String(build::kExecutableSuffix));
}

}  // namespace

void installCrashHandler() {
    platform::CrashReporterCommand command;
    command.program = reporterPath().toStdWString();
    command.fileVersion = VersionInfo::ofProgram().fileVersion().toString().toStdWString();
    command.productName = ProductSection().productName.toStdWString();
    platform::installCrashReporter(command);
}

void setCrashReporterProductName(const QString& productName) {
    platform::setCrashReporterProductName(productName.toStdWString());
}

}  // namespace process
