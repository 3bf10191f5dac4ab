#pragma once

#include <functional>
#include <memory>

#include "WmiModel.h"

namespace platform::sim {

// WMI of the simulated PC: each connection takes a snapshot of the model that `loadModel`
// gives at that moment (the profile's objects, or this machine's real hardware).
std::unique_ptr<Wmi> makeSimWmi(std::function<WmiModel()> loadModel);

}  // namespace platform::sim
