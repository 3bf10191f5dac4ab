#pragma once

#include <QStringList>

#include "platform/sim/core/Facility.h"

namespace platform::sim::spooler {

// The printing programs of the simulated PC, run through the sim programs dispatcher.
//   rundll32 printui.dll,PrintUIEntry ...   /k prints a test page (a job in the queue named by
//                                           /n); /o /e /p /il /ip /im and the rest are recorded
//                                           in the spooler state's "uiRequests" and end with 0
//   mmc <console.msc>, control <panel>      recorded the same way
int runRundll32(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);
int runMmc(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);
int runControl(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

}  // namespace platform::sim::spooler
