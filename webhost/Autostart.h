#pragma once

#include <QString>

#include "platform/Win32Error.h"

namespace webhost {

// Start at log-on through the current user's Run key.
platform::win32::Error addToStartupList(const QString& valueName, const QString& commandLine);
// True when the value exists and equals the command line exactly (letter case included).
bool checkStartupList(const QString& valueName, const QString& commandLine);
platform::win32::Error deleteFromStartupList(const QString& valueName);

}  // namespace webhost
