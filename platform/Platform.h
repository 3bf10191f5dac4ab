#pragma once

#include <string>

namespace platform {

class FileSystem;
class Wmi;
class Processes;
class Registry;
class Spooler;
class SystemInfo;

// The facilities of the operating system this build runs on. Exactly one backend provides them
// (chosen by the build); the first call sets it up. A backend that cannot start (for instance a
// simulated PC whose state is corrupt) reports why through startupError() and serves nothing.
Registry& registry();
SystemInfo& systemInfo();
Processes& processes();
FileSystem& fileSystem();
Spooler& spooler();
Wmi& wmi();

// Empty when the backend is ready, else a one-line reason naming the file at fault.
std::wstring startupError();

}  // namespace platform
