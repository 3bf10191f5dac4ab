#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "platform/Spooler.h"

namespace platform {
class Registry;
class FileSystem;
class NetConnections;
}  // namespace platform

namespace platform::sim {
class Machine;
}

namespace platform::sim::spooler {

// The simulated PC's print spooler. While its Spooler service does not run (`serviceProcess`,
// the service's process id, answers 0), or while its state cannot be read (a machine that could
// not be opened, say), it answers as Windows does when the spooler is not running: 1722 for
// every call. Each time the service has started anew it reads its jobs from the spool folder,
// so a folder cleaned while it was stopped is what it finds. A connection to another PC's queue
// asks that PC for its shares through `connections`, so it is made with this user's log-on to
// the host when there is one.
std::unique_ptr<Spooler> makeSimSpooler(Machine& machine, Registry& registry,
                                        const FileSystem& fileSystem, NetConnections& connections,
                                        std::function<std::uint32_t()> serviceProcess);

// The host path of the spool folder: the registry's DefaultSpoolDirectory
// (HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers), mapped into the machine's drives.
QString spoolFolder(Registry& registry, const FileSystem& fileSystem);

}  // namespace platform::sim::spooler
