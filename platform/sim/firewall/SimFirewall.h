#pragma once

#include <memory>

#include "platform/Firewall.h"

namespace platform::sim {

class StateStore;

namespace firewall {

// The firewall policy of the simulated PC, on its "firewall" document. Every call reads the
// document afresh, so a change made by another process shows at once. Changes need an elevated
// process (`elevated`); state that cannot be read or written answers
// HRESULT_FROM_WIN32(ERROR_REGISTRY_CORRUPT / ERROR_REGISTRY_IO_FAILED).
std::unique_ptr<Firewall> makeSimFirewall(StateStore& store, bool elevated);

}  // namespace firewall
}  // namespace platform::sim
