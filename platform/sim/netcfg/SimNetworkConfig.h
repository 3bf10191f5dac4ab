#pragma once

#include <memory>

#include "platform/NetworkConfig.h"

namespace platform::sim {

class StateStore;

namespace netcfg {

// INetCfg of the simulated PC on its "netcfg" document. The write lock lives in the document,
// so it is shared by every process on the PC; a session releases a lock it still holds when it
// goes. Unreadable state answers HRESULT_FROM_WIN32(ERROR_REGISTRY_CORRUPT) and the like.
std::unique_ptr<NetworkConfig> makeSimNetworkConfig(StateStore& store, bool elevated);

}  // namespace netcfg
}  // namespace platform::sim
