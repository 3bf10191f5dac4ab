#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Facts about the hardware this program runs on, as the machine fingerprint reads them. Each
// backend gives the nearest thing it has; where it has nothing, the answer is stated below.
namespace platform {

// CPUID leaf 0: EAX, EBX, ECX, EDX. All zero on a processor without the instruction.
std::array<std::uint32_t, 4> processorIdentificationLeaf0();

// The serial number of the system volume ("c:\" on Windows). Zero when it cannot be read.
std::uint32_t systemVolumeSerial();

// The hardware addresses of the network adapters, in the system's order. Empty when the list
// cannot be read or holds no adapter.
std::vector<std::vector<std::uint8_t>> adapterAddresses();

}  // namespace platform
