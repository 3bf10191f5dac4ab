#pragma once

#include <QString>

namespace webhost {

// The folder of the running program (GetModuleFileNameW without the file name): config.inf,
// html/ and the programs shipped with Corvanta sit there.
QString programFolder();
// The running program's full path.
QString programFilePath();

}  // namespace webhost
