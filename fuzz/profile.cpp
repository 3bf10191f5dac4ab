// A profile text describing a simulated PC, checked by every registered facility.
#include "platform/sim/core/Profile.h"
#include "FuzzSupport.h"
#include "platform/sim/core/ProcessPc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::sim::Profile profile;
    QString error;
    const bool parsed =
        platform::sim::parseProfile(fuzz::bytes(data, size), QStringLiteral("fuzz"),
                                    platform::sim::registeredFacilities(), profile, error);
    fuzz::require(parsed || !error.isEmpty(), "profile refused without a reason");
    return 0;
}
