#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Whole-file and folder helpers of the page's framework functions. Paths are Windows paths (on
// the simulated PC they are looked up in its drives) or paths of this machine.
namespace process {

// True when the name matches the pattern as FindFirstFileW matches it: "*" any run, "?" one
// character, letter case ignored, "*.*" everything (also names without a dot).
bool matchesWildcard(const QString& name, const QString& pattern);

// The names in the folder that match the pattern, "." and ".." included as FindFirstFileW gives
// them; empty when the folder cannot be read.
QStringList listDir(const QString& folder, const QString& pattern);

// The largest file readTextFile returns. The text crosses to the page in one piece, so anything
// bigger is not a text the page can use and would only hold the UI thread.
constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;

// The whole file; empty when it cannot be read, when it is not a regular file (a FIFO would
// block the caller for good, a device such as /dev/zero never ends) or when it is larger than
// kMaxTextFileBytes.
QByteArray readTextFile(const QString& path);
// Creates or replaces the file with the text. The old content stays whole when writing fails.
bool writeTextToFile(const QString& path, const QByteArray& text);
bool pathFileExists(const QString& path);

// True when a running process has this executable name (letter case ignored), e.g. "Kestrune.exe".
bool isProcessRunning(const QString& exeName);

// Opens the file's folder in the file manager with the file selected: "explorer /select,<path>"
// with the file's Windows path in backslashes, which the simulated PC serves with its own
// program. False when the file does not exist or
// the file manager could not be started.
bool openDirAndSelectFile(const QString& path);

// Restarts (or shuts down) the PC with ExitWindowsEx's flags and reason. False when refused.
bool restartComputer(quint32 flags, quint32 reason);

}  // namespace process
