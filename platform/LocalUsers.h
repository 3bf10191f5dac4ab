#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Error.h"

namespace platform {

// The local user accounts of the PC (NetUserGetInfo, NetUserSetInfo, NetUserEnum on the local
// machine). Errors are NET_API_STATUS values: Win32 codes or the NERR_ codes below.
namespace users {
constexpr win32::Error kUserNotFound = 2221;  // NERR_UserNotFound
constexpr win32::Error kInvalidLevel = 124;   // ERROR_INVALID_LEVEL

// USER_INFO_1 usri1_flags bits.
constexpr std::uint32_t kScript = 0x0001;          // UF_SCRIPT
constexpr std::uint32_t kAccountDisable = 0x0002;  // UF_ACCOUNTDISABLE
constexpr std::uint32_t kPasswordNotRequired = 0x0020;
constexpr std::uint32_t kPasswordCantChange = 0x0040;
constexpr std::uint32_t kNormalAccount = 0x0200;  // UF_NORMAL_ACCOUNT
constexpr std::uint32_t kDontExpirePassword = 0x10000;
// The account-type bits (UF_ACCOUNT_TYPE_MASK): the type of an account never changes.
constexpr std::uint32_t kAccountTypeMask = 0x3B00;
}  // namespace users

// USER_INFO_1, as far as the product reads it.
struct UserInfo1 {
    std::wstring name;
    std::wstring comment;
    std::uint32_t flags = 0;
};

// USER_INFO_20-like: an account with its relative id (the last part of its SID).
struct UserAccount {
    std::wstring name;
    std::uint32_t relativeId = 0;
};

class LocalUsers {
public:
    virtual ~LocalUsers() = default;
    // NetUserGetInfo(nullptr, name, 1); names match without regard to case.
    virtual win32::Error getInfo1(const std::wstring& name, UserInfo1& info) const = 0;
    // NetUserSetInfo(nullptr, name, 1008, {flags}): the account's flags. The account-type bits
    // are kept; needs an elevated process (ERROR_ACCESS_DENIED otherwise).
    virtual win32::Error setFlags(const std::wstring& name, std::uint32_t flags) = 0;
    // NetUserEnum over the local accounts.
    virtual win32::Error enumerate(std::vector<UserAccount>& accounts) const = 0;
};

// The local users of the system this process runs on (see Platform.h).
LocalUsers& localUsers();

}  // namespace platform
