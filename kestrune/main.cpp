// Kestrune: the elevated helper that performs Corvanta's privileged print-system repairs. It
// takes one mode number and reports through its exit code.
#include <cstdio>

#include "KestruneMode.h"

namespace {

constexpr int kExitBadArgument = 87;      // ERROR_INVALID_PARAMETER
constexpr int kExitNotImplemented = 120;  // ERROR_CALL_NOT_IMPLEMENTED

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
    // The repairs (spooler, spool folder, firewall groups, device re-detection) arrive with the
    // services, firewall and device facilities of the simulated PC.
    std::fprintf(stderr, "kestrune: mode %d is not available in this build\n", *mode);
    return kExitNotImplemented;
}
