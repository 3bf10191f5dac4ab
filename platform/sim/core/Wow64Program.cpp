#include "platform/sim/core/Wow64Program.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform::sim {

bool runsAsWow64Program() {
    return qgetenv(kWow64ProgramVariable) == "1";
}

}  // namespace platform::sim
