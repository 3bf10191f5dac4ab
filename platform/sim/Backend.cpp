// The one place the facilities of this build are chosen: on Linux the Windows-only ones come
// from the simulated PC named by $CORVANTA_MACHINE (or the per-user default machine).
#include <QCoreApplication>
#include <QFileInfo>

#include <memory>

#include "Machine.h"
#include "SimLogging.h"
#include "SimProcesses.h"
#include "SimRegistry.h"
#include "SimSystemInfo.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/SystemInfo.h"
#include "spooler/SimSpooler.h"

namespace platform {

namespace {

// What a backend that could not start serves: nothing, with an error for every call.
class UnavailableRegistry : public Registry {
public:
    win32::Error openKey(RegistryRoot, const std::wstring&, std::uint32_t,
                         std::unique_ptr<RegistryKey>&) override {
        return win32::kNotSupported;
    }
    win32::Error createKey(RegistryRoot, const std::wstring&, std::uint32_t,
                           std::unique_ptr<RegistryKey>&) override {
        return win32::kNotSupported;
    }
    win32::Error deleteKey(RegistryRoot, const std::wstring&, std::uint32_t) override {
        return win32::kNotSupported;
    }
    win32::Error deleteTree(RegistryRoot, const std::wstring&) override {
        return win32::kNotSupported;
    }
};

class IdentityFileSystem : public FileSystem {
public:
    std::wstring hostPath(const std::wstring& path) const override { return path; }
    std::wstring windowsPath(const std::wstring& path) const override { return path; }
};

QString programFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
}

struct Backend {
    std::unique_ptr<sim::Machine> machine;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<SystemInfo> systemInfo;
    std::unique_ptr<FileSystem> fileSystem;
    std::unique_ptr<Processes> processes;
    std::unique_ptr<Spooler> spooler;
    std::wstring startupError;
};

sim::SimProcessesConfig processesConfig(sim::Machine* machine) {
    sim::SimProcessesConfig config;
    config.programFolder = programFolder().toStdWString();
    if (machine == nullptr) {
        config.consentGiven = false;
        config.runAsAdmin = false;
        config.elevated = false;
        config.hostPath = [](const std::wstring& path) { return path; };
        config.recordRestart = [](std::uint32_t, std::uint32_t) { return win32::kNotSupported; };
        return config;
    }
    config.consentGiven = machine->system().consentToElevation;
    config.runAsAdmin = machine->system().admin;
    config.elevated = machine->system().elevated;
    config.hostPath = [machine](const std::wstring& path) {
        return machine->fileSystem().hostPath(path);
    };
    config.recordRestart = [machine](std::uint32_t flags, std::uint32_t reason) {
        QString error;
        if (!sim::recordRestartRequest(machine->store(), flags, reason, error)) {
            qCWarning(lcSim).noquote() << error;
            return win32::kAccessDenied;
        }
        return win32::kSuccess;
    };
    return config;
}

std::unique_ptr<Backend> startBackend() {
    auto backend = std::make_unique<Backend>();
    QString error;
    backend->machine = sim::Machine::openOrSeed(sim::Machine::configuredDirectory(), error);
    sim::Machine* machine = backend->machine.get();
    if (machine == nullptr) {
        qCWarning(lcSim).noquote() << error;
        backend->startupError = error.toStdWString();
        backend->registry = std::make_unique<UnavailableRegistry>();
        backend->systemInfo = std::make_unique<sim::SimSystemInfo>(sim::SystemFacts());
        backend->fileSystem = std::make_unique<IdentityFileSystem>();
    } else {
        backend->registry = std::make_unique<sim::SimRegistry>(machine->store());
        backend->systemInfo = std::make_unique<sim::SimSystemInfo>(machine->system());
        backend->fileSystem = std::make_unique<sim::SimFileSystem>(machine->directory());
    }
    backend->processes = sim::makeSimProcesses(processesConfig(machine));
    backend->spooler =
        sim::spooler::makeSimSpooler(machine, *backend->registry, *backend->fileSystem);
    return backend;
}

// Set up on first use, from whichever thread comes first; never destroyed, since a detached
// worker (a package installer's wait, an output capture) may still use it while the process
// exits. Every change is already on disk, so there is nothing to finish.
Backend& backend() {
    static Backend* const instance = startBackend().release();
    return *instance;
}

}  // namespace

Registry& registry() {
    return *backend().registry;
}
SystemInfo& systemInfo() {
    return *backend().systemInfo;
}
Processes& processes() {
    return *backend().processes;
}
FileSystem& fileSystem() {
    return *backend().fileSystem;
}
Spooler& spooler() {
    return *backend().spooler;
}
std::wstring startupError() {
    return backend().startupError;
}

}  // namespace platform
