// The printer layer's tests, over simulated PCs. The process-wide machine (for the commands
// that use platform::spooler()) is a fresh Windows 10 PC in a temporary folder.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "platform/sim/Machine.h"
#include "platform/sim/Profile.h"

int runInventoryTests(int argc, char** argv);
int runActionsTests(int argc, char** argv);
int runMonitorTests(int argc, char** argv);
int runConnectionsTests(int argc, char** argv);

int main(int argc, char** argv) {
    QTemporaryDir root;
    const QString machine = QDir(root.path()).filePath(QStringLiteral("machine"));
    platform::sim::Profile profile;
    QString error;
    if (!platform::sim::loadProfile(QStringLiteral("win10"), profile, error) ||
        !platform::sim::Machine::create(machine, profile, false, error)) {
        qCritical().noquote() << error;
        return 1;
    }
    qputenv("CORVANTA_MACHINE", QFile::encodeName(machine));
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runInventoryTests(argc, argv);
    failures += runActionsTests(argc, argv);
    failures += runMonitorTests(argc, argv);
    failures += runConnectionsTests(argc, argv);
    return failures;
}
