#include "platform/sim/core/SimLogging.h"

Q_LOGGING_CATEGORY(lcSim, "corvanta.platform.sim")
