#pragma once

#include <QStringList>

#include "platform/sim/core/Facility.h"

namespace platform::sim {

// shutdown /r /g /s /f /a /t SECONDS /d [p|u:]MAJOR:MINOR /c COMMENT: a restart or power-off is
// recorded in the "system" document's "restartRequests"; bad arguments end with 87.
int runShutdown(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

}  // namespace platform::sim
