#pragma once

#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <vector>

namespace process {

// What the fingerprint of a PC without a readable "MachineGuid" is made of.
struct FingerprintInputs {
    QString computerName;
    std::array<std::uint32_t, 4> cpuidLeaf0{};  // EAX, EBX, ECX, EDX
    std::uint32_t volumeSerial = 0;
    // Hardware addresses of the adapters in the system's order; empty when the list could not be
    // read.
    std::vector<std::vector<std::uint8_t>> adapterAddresses;
};

// The fingerprint identifier "<hash>-<lo>-<hi>" for the given inputs.
QString machineFingerprint(const FingerprintInputs& inputs);

// The PC's identifier: its "MachineGuid", else its fingerprint. Computed once per process.
QString machineIdentifier();

}  // namespace process
