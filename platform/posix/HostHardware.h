#pragma once

#include <QString>

#include <map>
#include <string>
#include <vector>

#include "platform/Wmi.h"

namespace platform::posix {

// WMI objects by class name (lower case): property name (as WMI spells it) to value.
using WmiProperties = std::map<std::wstring, WmiValue>;
using WmiClasses = std::map<std::wstring, std::vector<WmiProperties>>;

// The hardware classes of WMI (processor, board, video, memory, disks, monitors, sound, network
// adapters) as read from this Linux machine's /proc and /sys, so that a profile can show the
// user's own PC. `root` is the file-system root to read below (tests point it at a fixture).
// Classes with nothing found are present and empty.
WmiClasses readHostHardware(const QString& root = QStringLiteral("/"));

}  // namespace platform::posix
