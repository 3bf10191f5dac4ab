#pragma once

#include <memory>

#include "Facility.h"

namespace platform::sim {

class SimulatedPc;

// Every facility this build registers (platform/sim/CMakeLists.txt), in registration order.
const Facilities& registeredFacilities();

// The simulated PC the platform accessors of this process serve: the one set by setProcessPc(),
// else the folder $CORVANTA_MACHINE (or the per-user default), seeded on first use. It lives
// until the process ends, so threads still running at exit never see it go.
SimulatedPc& processPc();

// Makes `pc` the process's PC. Only before the first use of processPc(); answers false (and
// keeps the PC already in use) after it.
bool setProcessPc(std::unique_ptr<SimulatedPc> pc);

}  // namespace platform::sim
