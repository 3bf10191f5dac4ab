// The local security authority (advapi32): the policy handle is closed by RAII, buffers the
// LSA allocates are freed by LsaFreeMemory and SIDs from their text by LocalFree; account
// lookups grow their buffers until the names fit.
#include <windows.h>
// (windows.h first: the security headers need its types.)
#include <ntsecapi.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniquePolicy = Unique<LSA_HANDLE, LsaClose>;
using UniqueLsaMemory = Unique<void*, LsaFreeMemory>;
using UniqueLocal = Unique<HLOCAL, LocalFree>;

// A counted Unicode string over `text`, which must outlive it.
LSA_UNICODE_STRING countedString(const std::wstring& text) {
    LSA_UNICODE_STRING counted{};
    counted.Buffer = const_cast<PWSTR>(text.c_str());
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = static_cast<USHORT>(counted.Length + sizeof(wchar_t));
    return counted;
}

Error sidText(PSID sid, SidString& text) {
    LPWSTR converted = nullptr;
    if (!ConvertSidToStringSidW(sid, &converted)) {
        return failureReason();
    }
    const UniqueLocal owner(converted);
    text = converted;
    return kSuccess;
}

// The SID of its text form, freed with the returned owner.
Error sidOf(const SidString& text, UniqueLocal& owner, PSID& sid) {
    PSID converted = nullptr;
    if (!ConvertStringSidToSidW(text.c_str(), &converted)) {
        return failureReason();
    }
    owner.reset(converted);
    sid = converted;
    return kSuccess;
}

SidType sidTypeOf(SID_NAME_USE use) {
    switch (use) {
        case SidTypeGroup:
            return SidType::Group;
        case SidTypeDomain:
            return SidType::Domain;
        case SidTypeAlias:
            return SidType::Alias;
        case SidTypeWellKnownGroup:
            return SidType::WellKnownGroup;
        default:
            return SidType::User;
    }
}

// A SID text that names no SID: the LSA call is not made.
constexpr lsaapi::NtStatus kBadAccount = lsaapi::kStatusInvalidParameter;

class Win32LsaPolicy final : public LsaPolicy {
public:
    explicit Win32LsaPolicy(UniquePolicy policy) : policy_(std::move(policy)) {}

    lsaapi::NtStatus accountsWithRight(const std::wstring& right,
                                       std::vector<SidString>& accounts) override {
        accounts.clear();
        LSA_UNICODE_STRING name = countedString(right);
        void* buffer = nullptr;
        ULONG count = 0;
        const NTSTATUS status =
            LsaEnumerateAccountsWithUserRight(policy_.get(), &name, &buffer, &count);
        const UniqueLsaMemory owner(buffer);
        if (status != 0) {
            return static_cast<lsaapi::NtStatus>(status);
        }
        const auto* entries = static_cast<const LSA_ENUMERATION_INFORMATION*>(buffer);
        for (ULONG i = 0; i < count; ++i) {
            SidString text;
            if (sidText(entries[i].Sid, text) == kSuccess) {
                accounts.push_back(text);
            }
        }
        return lsaapi::kStatusSuccess;
    }

    lsaapi::NtStatus addRight(const SidString& account, const std::wstring& right) override {
        UniqueLocal owner;
        PSID sid = nullptr;
        if (sidOf(account, owner, sid) != kSuccess) {
            return kBadAccount;
        }
        LSA_UNICODE_STRING name = countedString(right);
        return static_cast<lsaapi::NtStatus>(LsaAddAccountRights(policy_.get(), sid, &name, 1));
    }

    lsaapi::NtStatus removeRight(const SidString& account, const std::wstring& right) override {
        UniqueLocal owner;
        PSID sid = nullptr;
        if (sidOf(account, owner, sid) != kSuccess) {
            return kBadAccount;
        }
        LSA_UNICODE_STRING name = countedString(right);
        return static_cast<lsaapi::NtStatus>(
            LsaRemoveAccountRights(policy_.get(), sid, FALSE, &name, 1));
    }

private:
    UniquePolicy policy_;
};

class Win32Lsa final : public Lsa {
public:
    lsaapi::NtStatus openPolicy(std::uint32_t access, std::unique_ptr<LsaPolicy>& policy) override {
        policy.reset();
        LSA_OBJECT_ATTRIBUTES attributes{};
        LSA_HANDLE handle = nullptr;
        const NTSTATUS status = LsaOpenPolicy(nullptr, &attributes, access, &handle);
        if (status != 0) {
            return static_cast<lsaapi::NtStatus>(status);
        }
        policy = std::make_unique<Win32LsaPolicy>(UniquePolicy(handle));
        return lsaapi::kStatusSuccess;
    }

    // LookupAccountNameW, with the SID and domain buffers grown to the sizes it asks for.
    Error lookupName(const std::wstring& name, SidString& sid, AccountName& account) override {
        std::vector<BYTE> sidBuffer(SECURITY_MAX_SID_SIZE, 0);
        std::vector<wchar_t> domain(MAX_PATH, L'\0');
        SID_NAME_USE use = SidTypeUnknown;
        for (;;) {
            DWORD sidSize = static_cast<DWORD>(sidBuffer.size());
            DWORD domainLength = static_cast<DWORD>(domain.size());
            if (LookupAccountNameW(nullptr, name.c_str(), sidBuffer.data(), &sidSize, domain.data(),
                                   &domainLength, &use)) {
                break;
            }
            const Error error = failureReason();
            if (error != kInsufficientBuffer) {
                return error;
            }
            sidBuffer.resize(std::max<std::size_t>(sidSize, sidBuffer.size()));
            domain.resize(std::max<std::size_t>(domainLength, domain.size() * 2));
        }
        if (const Error error = sidText(sidBuffer.data(), sid)) {
            return error;
        }
        // The names as the system spells them, whatever case and form `name` had.
        return lookupSid(sid, account);
    }

    // LookupAccountSidW, with the name and domain buffers grown to the sizes it asks for.
    Error lookupSid(const SidString& sid, AccountName& account) override {
        UniqueLocal owner;
        PSID binary = nullptr;
        if (const Error error = sidOf(sid, owner, binary)) {
            return error;
        }
        std::vector<wchar_t> name(MAX_PATH, L'\0');
        std::vector<wchar_t> domain(MAX_PATH, L'\0');
        SID_NAME_USE use = SidTypeUnknown;
        for (;;) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD domainLength = static_cast<DWORD>(domain.size());
            if (LookupAccountSidW(nullptr, binary, name.data(), &nameLength, domain.data(),
                                  &domainLength, &use)) {
                break;
            }
            const Error error = failureReason();
            if (error != kInsufficientBuffer) {
                return error;
            }
            name.resize(std::max<std::size_t>(nameLength, name.size() * 2));
            domain.resize(std::max<std::size_t>(domainLength, domain.size() * 2));
        }
        account.name = name.data();
        account.domain = domain.data();
        account.type = sidTypeOf(use);
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<Lsa> makeLsa() {
    return std::make_unique<Win32Lsa>();
}

}  // namespace platform::win32
