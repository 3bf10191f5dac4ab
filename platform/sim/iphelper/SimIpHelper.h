#pragma once

#include <memory>

#include "platform/IpHelper.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::iphelper {

// The simulated PC's IP helper. Adapters, interface rows and the ARP table come from the
// "iphelper" document, read afresh at each call (another process may change them), or from this
// Linux machine when the document's source is "host".
//
// ICMP echo is real. The PC's own adapters are made up, though: only loopback addresses exist
// behind them, so with source "profile" an echo to any other address is a host that does not
// answer (after the timeout, as on a LAN). With source "host" every address is pinged for real.
//
// A store that cannot be read answers kErrorNoData for the tables and kErrorInvalidData for an
// interface row: the PC then has no network.
std::unique_ptr<IpHelper> makeSimIpHelper(const StateStore& store);

}  // namespace platform::sim::iphelper
