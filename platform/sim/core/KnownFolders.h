#pragma once

#include <QString>
#include <QStringList>

#include "platform/SystemInfo.h"
#include "platform/sim/core/SystemFacts.h"

namespace platform::sim {

// Where Windows keeps its folders on the simulated PC, as Windows paths. The user's folders
// follow from the profile's user name; Program Files is the one a 32-bit program is shown.
QString knownFolderPath(const SystemFacts& facts, KnownFolder folder);
QString tempFolderPath(const SystemFacts& facts);

// Every folder a new machine starts with (Windows paths).
QStringList seededFolders(const SystemFacts& facts);

constexpr const char* kSpoolFolder = "C:\\Windows\\system32\\spool\\PRINTERS";

}  // namespace platform::sim
