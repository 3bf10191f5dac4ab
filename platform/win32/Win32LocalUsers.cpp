// The local user accounts (netapi32): every buffer the calls allocate is freed by RAII
// (NetApiBufferFree); the enumeration continues while the system says there is more.
#include <windows.h>
// (windows.h first: the network management headers need its types.)
#include <lm.h>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueNetBuffer = Unique<void*, NetApiBufferFree>;

constexpr DWORD kFlagsLevel = 1008;  // USER_INFO_1008: the flags alone

class Win32LocalUsers final : public LocalUsers {
public:
    Error getInfo1(const std::wstring& name, UserInfo1& info) const override {
        LPBYTE buffer = nullptr;
        const NET_API_STATUS status = NetUserGetInfo(nullptr, name.c_str(), 1, &buffer);
        const UniqueNetBuffer owner(buffer);
        if (status != NERR_Success) {
            return status;
        }
        const auto* record = reinterpret_cast<const USER_INFO_1*>(buffer);
        info.name = record->usri1_name != nullptr ? record->usri1_name : L"";
        info.comment = record->usri1_comment != nullptr ? record->usri1_comment : L"";
        info.flags = record->usri1_flags;
        return kSuccess;
    }

    // The account-type bits are taken from the account as it is, so that a caller's flags
    // never try to change its type (which NetUserSetInfo refuses).
    Error setFlags(const std::wstring& name, std::uint32_t flags) override {
        // Wine 8's NetUserSetInfo is an unimplemented export that ends the process when
        // called, and nothing else sets an account's flags there.
        if (runningUnderWine()) {
            return kCallNotImplemented;
        }
        UserInfo1 current;
        if (const Error error = getInfo1(name, current)) {
            return error;
        }
        USER_INFO_1008 record{};
        record.usri1008_flags =
            (flags & ~users::kAccountTypeMask) | (current.flags & users::kAccountTypeMask);
        DWORD badParameter = 0;
        return NetUserSetInfo(nullptr, name.c_str(), kFlagsLevel, reinterpret_cast<LPBYTE>(&record),
                              &badParameter);
    }

    Error enumerate(std::vector<UserAccount>& accounts) const override {
        accounts.clear();
        DWORD resume = 0;
        for (;;) {
            LPBYTE buffer = nullptr;
            DWORD read = 0;
            DWORD total = 0;
            const NET_API_STATUS status = NetUserEnum(nullptr, 20, FILTER_NORMAL_ACCOUNT, &buffer,
                                                      MAX_PREFERRED_LENGTH, &read, &total, &resume);
            const UniqueNetBuffer owner(buffer);
            if (status != NERR_Success && status != ERROR_MORE_DATA) {
                return status;
            }
            const auto* records = reinterpret_cast<const USER_INFO_20*>(buffer);
            for (DWORD i = 0; i < read; ++i) {
                accounts.push_back({records[i].usri20_name, records[i].usri20_user_id});
            }
            if (status == NERR_Success) {
                return kSuccess;
            }
        }
    }
};

}  // namespace

std::unique_ptr<LocalUsers> makeLocalUsers() {
    return std::make_unique<Win32LocalUsers>();
}

}  // namespace platform::win32
