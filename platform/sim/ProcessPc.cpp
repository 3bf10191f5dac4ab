// The one place this build's platform facilities come from on Linux: the simulated PC.
#include "core/ProcessPc.h"

#include <QFile>

#include <mutex>

#include "core/SimLogging.h"
#include "core/SimulatedPc.h"
#include "platform/Platform.h"

namespace platform::sim {

namespace {

std::once_flag g_chosen;
// Never deleted: detached threads may still use a facility while the process exits.
SimulatedPc* g_pc = nullptr;

// The programs this process starts (Kestrune, the PC's own Windows programs through
// corvanta-sim) act on the same PC: they find it where every process of this build looks.
void adopt(SimulatedPc* pc) {
    g_pc = pc;
    if (!pc->isOpen()) {
        qCWarning(lcSim).noquote() << pc->error();
    }
    qputenv(Machine::kDirectoryVariable, QFile::encodeName(pc->machine().directory()));
}

}  // namespace

SimulatedPc& processPc() {
    std::call_once(g_chosen, [] {
        adopt(new SimulatedPc(Machine::configuredDirectory(), registeredFacilities(),
                              SimulatedPc::Open::SeedIfEmpty));
    });
    return *g_pc;
}

bool setProcessPc(std::unique_ptr<SimulatedPc> pc) {
    bool taken = false;
    std::call_once(g_chosen, [&] {
        adopt(pc.release());
        taken = true;
    });
    return taken;
}

}  // namespace platform::sim

namespace platform {

std::wstring startupError() {
    return sim::processPc().error().toStdWString();
}

}  // namespace platform
