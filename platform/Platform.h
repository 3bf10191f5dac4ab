#pragma once

#include <string>

namespace platform {

// The facilities of the operating system this build runs on each have an interface in this
// folder, declared with its accessor (platform::registry() in Registry.h, platform::spooler() in
// Spooler.h, ...). Exactly one backend provides them, chosen by the build; the first call sets
// it up. A backend that cannot start (a simulated PC whose state is corrupt, say) reports why
// here, and each facility then answers the errors it documents for a system it cannot reach.

// Empty when the backend is ready, else a one-line reason naming the file at fault.
std::wstring startupError();

}  // namespace platform
