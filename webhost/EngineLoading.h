#pragma once

#include <QByteArray>
#include <QString>

namespace webhost {

// Starts the web engine for this process, with requests for `host` answered from the
// program folder's html/. On failure the user sees the box titled "提示" saying the engine
// could not be loaded, and the answer is false: the caller ends the process. An engine that
// starts but cannot show its first page is reported the same way later and ends the event
// loop with exit code 1.
//
// Views without storage paths of their own keep the page's local storage and cookies in the
// PC user's local application data (Corvanta\WebStorage), so that they survive a restart.
bool loadEngine(const QString& programFolder, const QByteArray& host);

// The end of the engine's use, once the event loop has ended and before the application object
// goes: the web windows still open are destroyed, their views and pages released, and then
// the engine's profiles. Every page goes before its profile.
void unloadEngine();

}  // namespace webhost
