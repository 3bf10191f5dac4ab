#pragma once

#include <QString>

namespace webhost {

// The file that answers a request for the configured host: `requestPath` (a decoded URL path
// such as "/index.html") under the program folder's html/, else the same path one folder up
// (the program folder itself). Empty when neither exists or the path would leave the program
// folder. Both engines serve the page files through this one rule.
QString resolveLocalPage(const QString& programFolder, const QString& requestPath);

}  // namespace webhost
