#pragma once

#include <memory>

#include "platform/Services.h"

namespace platform::sim {
class Machine;
}

namespace platform::sim::services {

// The simulated PC's service control manager on the machine's "services" document. The rights
// a caller holds follow the machine's facts: without elevation only connecting, enumerating
// and querying are granted. While the state cannot be read it answers kStateUnreadable.
std::unique_ptr<Services> makeSimServices(Machine& machine);

}  // namespace platform::sim::services
