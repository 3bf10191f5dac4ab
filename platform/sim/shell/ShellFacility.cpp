// The simulated PC's shell: processes (real ones on this machine, with Windows programs resolved
// to the PC's own), its drives, and what Explorer was asked to show.
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>

#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/core/SystemFacts.h"
#include "platform/sim/shell/SimProcesses.h"

namespace platform::sim {

namespace {

const QLatin1String kShellFacility("shell");
const QLatin1String kExplorerRequests("explorerRequests");

QString programFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
}

// explorer.exe: what it was asked to show ("/select,<path>" and the like) is kept in the
// "shell" state, where tests and corvanta-sim see it; a person would see a folder window.
int runExplorer(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    QString error;
    const bool recorded = pc.machine().store().update(
        kShellFacility,
        [&arguments](QJsonObject& document) {
            StateStore::appendToRequestLog(document, kExplorerRequests,
                                           arguments.join(QLatin1Char(' ')));
            return true;
        },
        error);
    if (!recorded) {
        io.err << "explorer: " << error << Qt::endl;
        return 1;
    }
    return 0;
}

SimProcessesConfig processesConfig(SimulatedPc& pc) {
    Machine* machine = &pc.machine();
    SimProcessesConfig config;
    config.programFolder = programFolder().toStdWString();
    config.consentGiven = machine->system().consentToElevation;
    config.runAsAdmin = machine->system().admin;
    config.elevated = machine->system().elevated;
    config.wow64 = machine->system().wow64;
    config.hostPath = [machine](const std::wstring& path) {
        return machine->fileSystem().hostPath(path);
    };
    for (const FacilityDescription& facility : pc.facilities()) {
        for (const SimProgram& program : facility.programs) {
            config.simPrograms.push_back(QString::fromLatin1(program.name).toStdWString());
        }
    }
    config.recordRestart = [machine](std::uint32_t flags, std::uint32_t reason) {
        QString error;
        if (!recordRestartRequest(machine->store(), flags, reason, error)) {
            qCWarning(lcSim).noquote() << error;
            return win32::kAccessDenied;
        }
        return win32::kSuccess;
    };
    return config;
}

void buildShell(SimulatedPc& pc) {
    pc.provide<FileSystem>(std::make_unique<SimFileSystem>(pc.machine().directory()));
    pc.provide<Processes>(makeSimProcesses(processesConfig(pc)));
}

}  // namespace

FacilityDescription describeShellFacility() {
    FacilityDescription facility;
    facility.name = kShellFacility;
    facility.programs = {{"explorer", runExplorer}};
    facility.build = buildShell;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Processes& processes() {
    return sim::processPc().get<Processes>();
}

FileSystem& fileSystem() {
    return sim::processPc().get<FileSystem>();
}

}  // namespace platform
