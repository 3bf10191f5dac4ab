#pragma once

#include "webhost/ConfigInf.h"

namespace app {

// The built-in settings that hold when config.inf does not say otherwise.
webhost::StartupSettings defaultStartupSettings();

// The whole run of Corvanta: start-up, the event loop, and the exit code (the loop's result;
// 1 when the simulated PC or the web engine cannot start; 0 when another instance runs).
int run(int argc, char** argv);

// Ends the process after run() without destroying its static objects. Detached threads (a
// printer connection waiting on its host, a command capture, a print dialog's wait) may still
// be running then; the statics they use (Qt's codecs and library registry, the logging
// categories, the simulated PC) must outlive them, and so they are never destroyed. Streams are
// flushed first; state on disk is always whole (every write is an atomic replace).
[[noreturn]] void endProcess(int exitCode);

}  // namespace app
