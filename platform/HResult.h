#pragma once

#include <cstdint>

#include "platform/Win32Error.h"

namespace platform {

// COM result codes; negative values are failures.
using HResult = std::int32_t;
constexpr HResult kSOk = 0;
constexpr HResult kSFalse = 1;
constexpr HResult kENotImpl = static_cast<HResult>(0x80004001);
constexpr HResult kEFail = static_cast<HResult>(0x80004005);
constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005);
constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057);
inline bool failed(HResult result) {
    return result < 0;
}

// HRESULT_FROM_WIN32: a Win32 error as a COM failure (facility 7); 0 stays S_OK.
constexpr HResult hresultFromWin32(win32::Error error) {
    return error == win32::kSuccess ? kSOk : static_cast<HResult>((error & 0xFFFFu) | 0x80070000u);
}

}  // namespace platform
