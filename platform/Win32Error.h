#pragma once

#include <cstdint>

// Win32 error codes as the Windows calls return them. Every facility in platform/ answers with
// these, so that portable code takes the same branches on every backend.
namespace platform::win32 {

using Error = std::uint32_t;

constexpr Error kSuccess = 0;
constexpr Error kFileNotFound = 2;
constexpr Error kPathNotFound = 3;
constexpr Error kAccessDenied = 5;
constexpr Error kInvalidHandle = 6;
constexpr Error kNotEnoughMemory = 8;
constexpr Error kInvalidData = 13;
constexpr Error kNotSupported = 50;
constexpr Error kBadNetPath = 53;
constexpr Error kInvalidParameter = 87;
constexpr Error kInsufficientBuffer = 122;
constexpr Error kInvalidName = 123;
constexpr Error kAlreadyExists = 183;
constexpr Error kMoreData = 234;
constexpr Error kNoMoreItems = 259;
constexpr Error kElevationRequired = 740;
constexpr Error kKeyDeleted = 1018;
constexpr Error kServiceDoesNotExist = 1060;
constexpr Error kCancelled = 1223;
constexpr Error kRpcServerUnavailable = 1722;
constexpr Error kInvalidPrinterName = 1801;

}  // namespace platform::win32
