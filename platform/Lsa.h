#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32Error.h"

namespace platform {

// The local security authority: user rights held by accounts, and the names of SIDs.
namespace lsaapi {
// NTSTATUS values, as the Lsa* calls answer them.
using NtStatus = std::uint32_t;
constexpr NtStatus kStatusSuccess = 0;
constexpr NtStatus kStatusNoMoreEntries = 0x8000001A;
constexpr NtStatus kStatusAccessDenied = 0xC0000022;
constexpr NtStatus kStatusObjectNameNotFound = 0xC0000034;
constexpr NtStatus kStatusNoSuchPrivilege = 0xC0000060;
constexpr NtStatus kStatusInvalidParameter = 0xC000000D;
constexpr NtStatus kStatusInternalDbCorruption = 0xC00000E4;

// POLICY_* access rights of LsaOpenPolicy.
constexpr std::uint32_t kPolicyViewLocalInformation = 0x0001;
constexpr std::uint32_t kPolicyCreateAccount = 0x0010;
constexpr std::uint32_t kPolicyLookupNames = 0x0800;
constexpr std::uint32_t kPolicyAllAccess = 0xF0FFF;

// LookupAccountName/LookupAccountSid: no such account.
constexpr win32::Error kNoneMapped = 1332;  // ERROR_NONE_MAPPED

// LsaNtStatusToWinError for the statuses above (ERROR_MR_MID_NOT_FOUND, 317, for others).
constexpr win32::Error ntStatusToWinError(NtStatus status) {
    switch (status) {
        case kStatusSuccess:
            return win32::kSuccess;
        case kStatusNoMoreEntries:
            return win32::kNoMoreItems;
        case kStatusAccessDenied:
            return win32::kAccessDenied;
        case kStatusObjectNameNotFound:
            return win32::kFileNotFound;
        case kStatusNoSuchPrivilege:
            return 1313;  // ERROR_NO_SUCH_PRIVILEGE
        case kStatusInvalidParameter:
            return win32::kInvalidParameter;
        case kStatusInternalDbCorruption:
            return 1358;  // ERROR_INTERNAL_DB_CORRUPTION
        default:
            return 317;
    }
}
}  // namespace lsaapi

// A SID as its string form ("S-1-5-32-546", ConvertSidToStringSid).
using SidString = std::wstring;

// SID_NAME_USE, as far as it matters here.
enum class SidType { User = 1, Group = 2, Domain = 3, Alias = 4, WellKnownGroup = 5 };

struct AccountName {
    std::wstring name;
    std::wstring domain;  // a local account's domain is the computer name; BUILTIN, NT AUTHORITY
    SidType type = SidType::User;
};

// An open LSA policy handle (LsaOpenPolicy on the local system). Each call needs access the
// handle was opened with, else STATUS_ACCESS_DENIED:
//   accountsWithRight  POLICY_LOOKUP_NAMES and POLICY_VIEW_LOCAL_INFORMATION;
//   addRight           POLICY_LOOKUP_NAMES, and POLICY_CREATE_ACCOUNT for an account holding
//                      no right yet;
//   removeRight        POLICY_LOOKUP_NAMES.
// An unknown right name is STATUS_NO_SUCH_PRIVILEGE.
class LsaPolicy {
public:
    virtual ~LsaPolicy() = default;
    // LsaEnumerateAccountsWithUserRight: STATUS_NO_MORE_ENTRIES when nobody holds the right.
    virtual lsaapi::NtStatus accountsWithRight(const std::wstring& right,
                                               std::vector<SidString>& accounts) = 0;
    // LsaAddAccountRights with one right.
    virtual lsaapi::NtStatus addRight(const SidString& account, const std::wstring& right) = 0;
    // LsaRemoveAccountRights with one right (not all): STATUS_OBJECT_NAME_NOT_FOUND for an
    // account that holds no right at all; an account holding others succeeds unchanged.
    virtual lsaapi::NtStatus removeRight(const SidString& account, const std::wstring& right) = 0;
};

class Lsa {
public:
    virtual ~Lsa() = default;
    // LsaOpenPolicy(nullptr, zeroed attributes, access). A process that is not elevated gets
    // STATUS_ACCESS_DENIED for any access beyond POLICY_LOOKUP_NAMES.
    virtual lsaapi::NtStatus openPolicy(std::uint32_t access,
                                        std::unique_ptr<LsaPolicy>& policy) = 0;
    // LookupAccountNameW(nullptr, name): "Guest", "PC\Guest", "BUILTIN\Guests", "Everyone";
    // lsaapi::kNoneMapped for a name it does not know.
    virtual win32::Error lookupName(const std::wstring& name, SidString& sid,
                                    AccountName& account) = 0;
    // LookupAccountSidW(nullptr, sid): lsaapi::kNoneMapped for a SID of no account.
    virtual win32::Error lookupSid(const SidString& sid, AccountName& account) = 0;
};

// The LSA of the system this process runs on (see Platform.h).
Lsa& lsa();

}  // namespace platform
