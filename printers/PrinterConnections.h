#pragma once

#include <QString>
#include <QtGlobal>

#include "webhost/WindowMessages.h"

namespace platform {
class Spooler;
}

// Printer connections to queues shared by other PCs.
namespace PrinterAPI {

// Two backslashes, the host, a backslash, the share; nothing is checked or normalised.
QString connectionPath(const QString& host, const QString& share);

// Connects and answers the spooler's code (0 on success). Blocks for the whole attempt.
quint32 addPrinterConnection(platform::Spooler& spooler, const QString& host, const QString& share);

// Connects on a detached thread, which then sends kMsgPrinterConnection (wParam: the code) to
// `window` and waits until the window has handled it.
void addPrinterConnectionAsync(platform::Spooler& spooler, webhost::WindowHandle window,
                               const QString& host, const QString& share);

}  // namespace PrinterAPI
