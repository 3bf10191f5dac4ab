#pragma once

#include <QString>

#include "platform/Win32Error.h"

namespace platform::posix {

// Asks `host` over SMB (anonymous/guest listing) whether it shares a print queue named `share`,
// as the spooler does before it makes a connection. The error is the one AddPrinterConnection
// gives on Windows for the same situation:
//   1722 (RPC server unavailable)   the host does not answer (refused, unreachable, timed out)
//   1801 (invalid printer name)     the host has no such share, the share is not a printer,
//                                   the host name does not resolve, or it is not a plain
//                                   name or address (it holds URL syntax such as @ : /)
//   5    (access denied)            the host refuses to list its shares to us
// `comment` receives the share's comment.
win32::Error checkPrinterShare(const QString& host, const QString& share, QString& comment);

}  // namespace platform::posix
