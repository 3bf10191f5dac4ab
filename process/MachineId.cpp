#include "MachineId.h"

#include <algorithm>

#include "platform/MachineFacts.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace process {

namespace {

constexpr wchar_t kCryptographyKey[] = L"SOFTWARE\\Microsoft\\Cryptography";
constexpr wchar_t kMachineGuidValue[] = L"MachineGuid";
// The value is read into a 510-byte buffer: 254 characters and the terminating null.
constexpr int kMaxGuidLength = 254;
constexpr std::uint32_t kNoSecondAdapter = 510;
constexpr std::uint32_t kNoAdapters = 1024;
constexpr std::uint32_t kHashSeed = 5381;
constexpr std::uint32_t kHashFactor = 33;

std::uint32_t fold16(std::uint32_t value) {
    return value + (value >> 16);
}

std::uint32_t processorChecksum(const std::array<std::uint32_t, 4>& registers) {
    std::uint32_t sum = 0;
    for (std::uint32_t value : registers) {
        sum += fold16(value);
    }
    return sum & 0xFFFF;
}

// The bytes taken as 16-bit little-endian words; a trailing odd byte is added as it is.
std::uint32_t addressChecksum(const std::vector<std::uint8_t>& address) {
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < address.size(); i += 2) {
        sum += address[i] | (address[i + 1] << 8);
    }
    if (i < address.size()) {
        sum += address[i];
    }
    return sum & 0xFFFF;
}

// h = c + 33 * h over the UTF-16 units, in 32-bit arithmetic, shown as the signed 32-bit
// number that Windows' "%ld" prints.
QString hashText(const QString& text) {
    std::uint32_t hash = kHashSeed;
    for (QChar c : text) {
        hash = c.unicode() + kHashFactor * hash;
    }
    return QString::number(static_cast<std::int32_t>(hash));
}

QString readMachineGuid() {
    std::wstring guid;
    const auto error = platform::reg::readString(
        platform::registry(), platform::RegistryRoot::LocalMachine, kCryptographyKey,
        kMachineGuidValue, guid, platform::kKeyRead | platform::kKeyWow64_64Key);
    if (error != 0 || guid.size() > kMaxGuidLength) {
        return {};
    }
    return QString::fromStdWString(guid);
}

FingerprintInputs thisMachine() {
    FingerprintInputs inputs;
    inputs.computerName = QString::fromStdWString(platform::systemInfo().computerName());
    inputs.cpuidLeaf0 = platform::processorIdentificationLeaf0();
    inputs.volumeSerial = platform::systemVolumeSerial();
    inputs.adapterAddresses = platform::adapterAddresses();
    return inputs;
}

QString computeIdentifier() {
    const QString guid = readMachineGuid();
    return guid.isEmpty() ? machineFingerprint(thisMachine()) : guid;
}

}  // namespace

QString machineFingerprint(const FingerprintInputs& inputs) {
    const std::uint32_t cpu = processorChecksum(inputs.cpuidLeaf0);
    const std::uint32_t volume = fold16(inputs.volumeSerial) & 0xFFFF;
    QString text = inputs.computerName + QString::number(cpu) + QString::number(volume);
    std::uint32_t lo = kNoAdapters;
    std::uint32_t hi = kNoAdapters;
    const auto& adapters = inputs.adapterAddresses;
    if (!adapters.empty()) {
        const std::uint32_t first = addressChecksum(adapters[0]);
        const std::uint32_t second =
            adapters.size() > 1 ? addressChecksum(adapters[1]) : kNoSecondAdapter;
        lo = std::min(first, second);
        hi = std::max(first, second);
        text += QString::number(lo) + QString::number(hi);
    }
    return hashText(text) + QLatin1Char('-') + QString::number(lo) + QLatin1Char('-') +
           QString::number(hi);
}

QString machineIdentifier() {
    // Initialised once, thread-safe (a function-local static).
    static const QString identifier = computeIdentifier();
    return identifier;
}

}  // namespace process
