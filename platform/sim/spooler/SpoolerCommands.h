#pragma once

#include <QStringList>

#include "platform/sim/core/Facility.h"

namespace platform::sim::spooler {

// corvanta-sim printer VERB NAME ...: changes to the print queues as a person at the PC would
// make them.
int runPrinterVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

}  // namespace platform::sim::spooler
