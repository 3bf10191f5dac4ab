// Kestrune: the elevated helper that performs Corvanta's privileged print-system repairs. It
// takes one mode number and reports through its exit code.
#include <cstdio>

#include "KestruneMode.h"
#include "Repairs.h"
#include "platform/Processes.h"

namespace {

// A missing argument or one that is no number: Corvanta always passes one, so anything else
// is a mistake of whoever started the program, and nothing is changed.
constexpr int kExitBadArgument = 87;  // ERROR_INVALID_PARAMETER

constexpr int kModeRestartSpooler = 0;
constexpr int kModeFirewall = 1;
constexpr int kModeCleanSpoolFolder = 2;
constexpr int kModeReenumerateDevices = 3;
constexpr int kModeEverything = 1000;

int runMode(int mode) {
    switch (mode) {
        case kModeRestartSpooler:
            return static_cast<int>(kestrune::restartSpooler(false));
        case kModeFirewall:
            return kestrune::enableSharingRuleGroups();
        case kModeCleanSpoolFolder:
            return static_cast<int>(kestrune::cleanSpoolFolder());
        case kModeReenumerateDevices:
            return static_cast<int>(kestrune::reenumerateDevices());
        case kModeEverything:
            // Each step runs whatever the one before gave; only the last one's code is told.
            kestrune::restartSpooler(false);
            kestrune::enableSharingRuleGroups();
            kestrune::cleanSpoolFolder();
            return static_cast<int>(kestrune::reenumerateDevices());
        default:
            return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestrune MODE\n");
        return kExitBadArgument;
    }
    const std::optional<int> mode = kestrune::parseMode(argv[1]);
    if (!mode) {
        std::fprintf(stderr, "kestrune: not a mode number: %s\n", argv[1]);
        return kExitBadArgument;
    }
    const int code = runMode(*mode);
    std::fflush(stdout);
    return platform::exitCodeOfMain(static_cast<std::uint32_t>(code));
}
