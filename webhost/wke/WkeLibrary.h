#pragma once

#include <string>
#include <vector>

#include "WkeInterface.h"

namespace webhost::wke {

// The engine's entry points, each null where the DLL lacks it.
struct Api {
#define CORVANTA_WKE_POINTER(name, result, parameters) \
    result(CORVANTA_WKE_CALL* name) parameters = nullptr;
    CORVANTA_WKE_ENTRY_POINTS(CORVANTA_WKE_POINTER)
#undef CORVANTA_WKE_POINTER
};

// The file name of the engine's DLL, looked for in the program's folder.
constexpr const wchar_t* kLibraryName = L"miniblink_4975_x32.dll";

// Every entry point's name, in the order of the list.
const std::vector<const char*>& entryPointNames();

// Loads the DLL at `path` (once per process; a second call answers the first one's outcome)
// and looks every entry point up by name. False, with the system's error code in *error, when
// the DLL cannot be loaded; `missing` receives the names the DLL does not export.
bool loadLibrary(const std::wstring& path, std::vector<std::string>* missing, unsigned long* error);
bool libraryLoaded();

// The entry points found by loadLibrary(); all null before.
const Api& api();

}  // namespace webhost::wke
