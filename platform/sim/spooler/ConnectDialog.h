#pragma once

#include <QString>

#include <cstdint>
#include <functional>

#include "platform/Win32Error.h"

namespace platform::sim::spooler {

// The simulated PC's "connect to a printer" dialog: asks for \\host\share and connects it
// through `connect`, showing the error and asking again when it fails. Modal, on the calling
// (UI) thread. kCancelled when the user gives up.
//
// In a headless run ($CORVANTA_HEADLESS set) nothing is shown: "reject" cancels, any other
// answer connects the path in $CORVANTA_HEADLESS_PRINTER (cancelled when that is empty), once.
win32::Error runConnectDialog(std::intptr_t ownerWindow,
                              const std::function<win32::Error(const QString& path)>& connect);

}  // namespace platform::sim::spooler
