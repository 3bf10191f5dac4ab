// The machine fingerprint's facts: CPUID, the system volume's serial number and the adapters'
// hardware addresses (GetAdaptersInfo, in the system's order).
// winsock2.h before windows.h, and both before iphlpapi.h, which needs their types.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <cpuid.h>

#include <vector>

#include "platform/MachineFacts.h"

namespace platform {

std::array<std::uint32_t, 4> processorIdentificationLeaf0() {
    std::array<std::uint32_t, 4> registers{};
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx)) {
        registers = {eax, ebx, ecx, edx};
    }
    return registers;
}

std::uint32_t systemVolumeSerial() {
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"c:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        return 0;
    }
    return serial;
}

namespace {

// GetAdaptersInfo into a buffer that grows to the size it asks for (the list may grow between
// two calls, hence the loop).
std::vector<unsigned char> adaptersInfoBuffer() {
    std::vector<unsigned char> buffer(sizeof(IP_ADAPTER_INFO) * 4);
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG size = static_cast<ULONG>(buffer.size());
        const DWORD result =
            GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
        if (result == ERROR_SUCCESS) {
            return buffer;
        }
        if (result != ERROR_BUFFER_OVERFLOW) {
            return {};
        }
        buffer.resize(size);
    }
    return {};
}

}  // namespace

std::vector<std::vector<std::uint8_t>> adapterAddresses() {
    std::vector<unsigned char> buffer = adaptersInfoBuffer();
    std::vector<std::vector<std::uint8_t>> addresses;
    if (buffer.empty()) {
        return addresses;
    }
    for (const IP_ADAPTER_INFO* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        const UINT length = std::min<UINT>(adapter->AddressLength, MAX_ADAPTER_ADDRESS_LENGTH);
        addresses.emplace_back(adapter->Address, adapter->Address + length);
    }
    return addresses;
}

}  // namespace platform
