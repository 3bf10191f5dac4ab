#pragma once

#include <functional>
#include <memory>

#include "platform/Firewall.h"

namespace platform::sim {

class StateStore;

namespace firewall {

// The firewall policy of the simulated PC, on its "firewall" document. Every call reads the
// document afresh, so a change made by another process shows at once. Changes need an elevated
// process (`elevated`); state that cannot be read or written answers
// HRESULT_FROM_WIN32(ERROR_REGISTRY_CORRUPT / ERROR_REGISTRY_IO_FAILED).
//
// As on Windows, the profiles in force follow the categories of the networks the PC is
// connected to: `networkProfiles` answers them, or false where there is no connected network to
// go by, and the document's "currentProfiles" holds then.
using NetworkProfiles = std::function<bool(fw::ProfileTypes& types)>;
std::unique_ptr<Firewall> makeSimFirewall(StateStore& store, bool elevated,
                                          NetworkProfiles networkProfiles = {});

}  // namespace firewall
}  // namespace platform::sim
