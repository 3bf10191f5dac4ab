#include <sys/statvfs.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/MachineFacts.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr char kNetworkClassFolder[] = "/sys/class/net";
constexpr char kLoopbackName[] = "lo";
constexpr std::size_t kMacLength = 6;

// "aa:bb:cc:dd:ee:ff" to its bytes; empty for anything else.
std::vector<std::uint8_t> parseMac(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ':')) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(part.c_str(), &end, 16);
        if (part.empty() || part.size() > 2 || *end != '\0' || value > 0xFF) {
            return {};
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes.size() == kMacLength ? bytes : std::vector<std::uint8_t>{};
}

bool isAllZero(const std::vector<std::uint8_t>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

}  // namespace

std::array<std::uint32_t, 4> processorIdentificationLeaf0() {
    std::array<std::uint32_t, 4> registers{};
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx)) {
        registers = {eax, ebx, ecx, edx};
    }
#endif
    return registers;
}

// Linux has no volume serial number; the file-system id of "/" is the stand-in: it identifies
// the root file system and stays the same across restarts for the usual file systems.
std::uint32_t systemVolumeSerial() {
    struct statvfs info {};
    if (statvfs("/", &info) != 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(info.f_fsid);
}

// The adapters with a hardware address, by interface name (the kernel lists them in no fixed
// order); loopback and adapters without an address are left out, as GetAdaptersInfo has none.
std::vector<std::vector<std::uint8_t>> adapterAddresses() {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(kNetworkClassFolder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::vector<std::uint8_t>> addresses;
    for (const std::string& name : names) {
        if (name == kLoopbackName) {
            continue;
        }
        std::ifstream in(fs::path(kNetworkClassFolder) / name / "address");
        std::string text;
        std::getline(in, text);
        std::vector<std::uint8_t> mac = parseMac(text);
        if (!mac.empty() && !isAllZero(mac)) {
            addresses.push_back(std::move(mac));
        }
    }
    return addresses;
}

}  // namespace platform
