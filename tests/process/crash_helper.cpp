// Installs the crash handler, names the product "crash-test" and dies of SIGSEGV.
#include <QCoreApplication>
#include <csignal>

#include "process/CrashHandler.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    process::installCrashHandler();
    process::setCrashReporterProductName(QStringLiteral("crash-test"));
    std::raise(SIGSEGV);
    return 0;
}
