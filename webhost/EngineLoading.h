#pragma once

#include <QByteArray>
#include <QString>

namespace webhost {

// Starts the web engine for this process, with requests for `host` answered from the
// program folder's html/. On failure the user sees the box titled "提示" saying the engine
// could not be loaded, and the answer is false: the caller ends the process. An engine that
// starts but cannot show its first page is reported the same way later and ends the event
// loop with exit code 1.
bool loadEngine(const QString& programFolder, const QByteArray& host);

}  // namespace webhost
