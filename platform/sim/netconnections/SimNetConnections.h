#pragma once

#include <memory>

#include "platform/NetConnections.h"

namespace platform::sim {

class StateStore;

namespace netconnections {

// This user's connections to other hosts, kept in the "netconnections" document, and the share
// listings of those hosts (real SMB, logged on with the connection's credentials).
std::unique_ptr<NetConnections> makeSimNetConnections(StateStore& store);

}  // namespace netconnections

}  // namespace platform::sim
