#pragma once

#include "webhost/ConfigInf.h"

namespace app {

// The built-in settings that hold when config.inf does not say otherwise.
webhost::StartupSettings defaultStartupSettings();

// The whole run of Corvanta: start-up, the event loop, and the exit code (the loop's result;
// 1 when the simulated PC or the web engine cannot start; 0 when another instance runs).
int run(int argc, char** argv);

}  // namespace app
