// The process tests use the platform accessors: a simulated PC of their own, created from the
// default profile on first use, unless the run names one.
#include "TestMain.h"

namespace {

const bool prepared = registerProcessSetup(
    [] { qputenv("CORVANTA_MACHINE", (processFolder() + QStringLiteral("/machine")).toUtf8()); });

}  // namespace
