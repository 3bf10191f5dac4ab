#pragma once

#include "platform/sim/core/Facility.h"

namespace platform::sim {

// powershell.exe with the optional-feature commands Corvanta runs:
//   powershell.exe -NonInteractive Enable-WindowsOptionalFeature -Online -FeatureName NAME
// (and Disable-WindowsOptionalFeature). The feature is a Win32_OptionalFeature object of the
// PC's WMI; enabling takes a few seconds, as DISM's work does, then sets its InstallState.
int runPowerShell(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

// corvanta-sim feature NAME on|off: the feature switched at once, as after a restart.
int runFeatureVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

// How long enabling or disabling a feature takes, in milliseconds.
constexpr unsigned long kFeatureChangeMs = 3000;

}  // namespace platform::sim
