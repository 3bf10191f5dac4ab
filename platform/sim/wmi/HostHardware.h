#pragma once

#include <QString>

#include "WmiModel.h"

namespace platform::sim {

// The hardware classes of WMI (processor, board, video, memory, disks, monitors, sound, network
// adapters) as read from this Linux machine's /proc and /sys, so that a profile can show the
// user's own PC. `root` is the file-system root to read below (tests point it at a fixture).
// Classes with nothing found are present and empty.
WmiModel readHostHardware(const QString& root = QStringLiteral("/"));

}  // namespace platform::sim
