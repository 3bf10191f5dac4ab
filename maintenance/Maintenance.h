#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// The print-system checks and repairs of the page's repair screens. Checks run here; repairs
// that need administrator rights are Kestrune's, started with one mode number.
namespace maintenance {

// Kestrune's modes.
constexpr int kModeRestartSpooler = 0;
constexpr int kModeFirewall = 1;
constexpr int kModeCleanSpoolFolder = 2;
constexpr int kModeEverything = 1000;

// The folder Kestrune is started from: Corvanta's own by default. Tests point it elsewhere.
void setKestruneFolder(const QString& folder);
QString kestruneFolder();

// Starts Kestrune hidden with `mode` and waits for it: its exit code, or the launch's Win32
// error when it could not be started.
quint32 runKestrune(int mode);
// Starts Kestrune and returns at once: 0, or the launch's error (then `ended` is not called).
// A detached thread waits for the process and then calls `ended` (on that thread).
quint32 startKestrune(int mode, std::function<void()> ended);

// The Spooler service's current state (SERVICE_STOPPED 1 ... SERVICE_RUNNING 4 ...), -1 when
// it cannot be read.
int spoolerState();

// Whether the firewall rule group of printer sharing (selector not 0) or network discovery
// (selector 0) is enabled for the current profiles.
bool isFirewallGroupEnabled(int selector);

// The OR of the queue's jobs' Status words, where a job with Status 0 (waiting, nothing
// wrong yet) adds 4; 0 for an empty queue and on every failure.
quint32 queueJobFlags(const QString& queue);

// Whether the queue is shared; false on failure.
bool isQueueShared(const QString& queue);
// Shares the queue, keeping a share name it already has (else its own name): 0 or the error.
quint32 shareQueueKeepingName(const QString& queue);

// Whether a font with the full name "OCR A Extended" is installed.
bool isOcrFontInstalled();
// Opens the font file shipped beside the program in the font viewer and waits for it: the
// viewer's exit code, or the start's error.
quint32 installOcrFont();

}  // namespace maintenance
