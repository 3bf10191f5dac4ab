#pragma once

#include <QString>

#include <cstdint>

#include "platform/sim/core/Profile.h"

namespace platform::sim::spooler {

// The profile section "printers": the PC's print queues and connections, their drivers,
// device modes, capabilities and jobs, the default printer and whether the spooler runs.
//
//   "printers": {
//     "spoolerRunning": true, "default": "Office LaserJet",
//     "drivers": {"<driver>": {"attributes": 1}},
//     "queues": [{"name": "...", "driver": "...", "port": "...", "shareName": "...",
//                 "attributes": ["queued", "local", "shared"], "status": ["error"],
//                 "devMode": {"fields": ["printQuality", "yResolution"], "printQuality": 600,
//                             "yResolution": 600},
//                 "capabilities": {"resolutions": [[600, 600]], "duplex": true,
//                                  "color": false, "pagesPerMinute": 30},
//                 "access": "use", "jobs": [{"document": "Report.pdf", "pages": 3}]},
//                {"name": "\\\\HOST\\Queue", "server": "\\\\HOST", ...}]}
//
// Flag sets ("attributes", "status", "devMode.fields") are lists of names or a number.
ProfileSection printersProfileSection();

// The PRINTER_STATUS_* bit of a status name as profiles spell it ("paperJam"), in any letter
// case; false for a name that is none.
bool printerStatusBit(const QString& name, std::uint32_t& bit);

}  // namespace platform::sim::spooler
