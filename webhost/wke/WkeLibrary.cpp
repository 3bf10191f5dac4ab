// The engine's DLL, loaded with LoadLibraryW and every entry point found with GetProcAddress.
// It stays loaded for the life of the process: views, bound functions and callbacks live in it.
#include "WkeLibrary.h"

#include <windows.h>

namespace webhost::wke {
namespace {

Api g_api;
HMODULE g_module = nullptr;
bool g_tried = false;
unsigned long g_loadError = 0;
std::vector<std::string> g_missing;

template <typename Pointer>
void lookUp(HMODULE module, const char* name, Pointer& pointer) {
    // GetProcAddress answers an untyped function; the list gives each one its type.
    pointer = reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!pointer) {
        g_missing.emplace_back(name);
    }
}

void lookUpAll(HMODULE module) {
#define CORVANTA_WKE_LOOK_UP(name, result, parameters) lookUp(module, #name, g_api.name);
    CORVANTA_WKE_ENTRY_POINTS(CORVANTA_WKE_LOOK_UP)
#undef CORVANTA_WKE_LOOK_UP
}

}  // namespace

const std::vector<const char*>& entryPointNames() {
    static const std::vector<const char*> names = {
#define CORVANTA_WKE_NAME(name, result, parameters) #name,
        CORVANTA_WKE_ENTRY_POINTS(CORVANTA_WKE_NAME)
#undef CORVANTA_WKE_NAME
    };
    return names;
}

bool loadLibrary(const std::wstring& path, std::vector<std::string>* missing,
                 unsigned long* error) {
    if (!g_tried) {
        g_tried = true;
        g_module = LoadLibraryW(path.c_str());
        if (g_module) {
            lookUpAll(g_module);
        } else {
            g_loadError = GetLastError();
        }
    }
    if (missing) {
        *missing = g_missing;
    }
    if (error) {
        *error = g_loadError;
    }
    return g_module != nullptr;
}

bool libraryLoaded() {
    return g_module != nullptr;
}

const Api& api() {
    return g_api;
}

}  // namespace webhost::wke
