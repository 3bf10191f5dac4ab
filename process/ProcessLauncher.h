#pragma once

#include <QString>
#include <QtGlobal>

namespace process {

// Starts the command line in a new process group and waits until it and every process it
// started (and they started, ...) have exited. 0 then, else the Win32 error of the start or of
// reading the process list. A program that needs elevation is started through the elevation
// prompt; a declined prompt answers ERROR_CANCELLED.
quint32 launchAndWait(const QString& commandLine);

// Runs the command line hidden with standard output and error on one pipe, and answers the
// first 4096 bytes of what it wrote (it is read to the end, so the child never blocks on a full
// pipe), as text of the system code page. "error|<code>" when it could not be started.
QString runAndCapture(const QString& commandLine);

// Starts this program again through the elevation prompt with the given parameters. The child's
// process id, or 0 when this process already has the rights, the system has no elevation, or
// the start failed or was declined.
quint32 relaunchElevated(const QString& parameters);

}  // namespace process
