#pragma once

#include <QStringList>

#include "platform/sim/core/Facility.h"

namespace platform::sim {

// corvanta-sim reg query|set|delete ...: the registry as reg.exe shows and changes it.
int runRegVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

}  // namespace platform::sim
