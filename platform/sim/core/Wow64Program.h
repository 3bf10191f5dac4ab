#pragma once

namespace platform::sim {

// A simulated Windows program started from System32 by a 32-bit program on a 64-bit PC, with
// the file-system redirection left on, is the 32-bit one from SysWOW64. The program learns it
// from its environment: the simulated shell sets this variable to "1" for it and to "0" for the
// system's own 64-bit (or only) program.
constexpr const char* kWow64ProgramVariable = "CORVANTA_SIM_WOW64_PROGRAM";

// True in a simulated program that runs as the 32-bit one on a 64-bit PC.
bool runsAsWow64Program();

}  // namespace platform::sim
