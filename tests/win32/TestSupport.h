#pragma once

#include <cstdlib>
#include <string>

#include "platform/Processes.h"

// What the backend tests share: paths beside the test program and the environment.
namespace testsupport {

// The folder this test program runs from, with a trailing backslash.
inline std::wstring programFolder() {
    const std::wstring path = platform::processes().currentProgramPath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

inline std::wstring environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? value : std::wstring();
}

inline std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(towlower(c));
    }
    return text;
}

}  // namespace testsupport
