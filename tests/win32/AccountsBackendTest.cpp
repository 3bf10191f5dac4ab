#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "platform/LocalUsers.h"
#include "platform/Lsa.h"
#include "platform/win32/Backend.h"

namespace win32 = platform::win32;
namespace lsaapi = platform::lsaapi;
namespace users = platform::users;
using testsupport::lower;

namespace {

struct SidCase {
    const wchar_t* sid;
    platform::SidType type;
};

constexpr const wchar_t* kGuestsSid = L"S-1-5-32-546";
constexpr const wchar_t* kDenyNetworkLogon = L"SeDenyNetworkLogonRight";

}  // namespace

// Well-known accounts by SID and back by the names the system gives them (which depend on the
// language of the installation), plain and qualified by their domain.
TEST(LsaBackendTest, WellKnownAccountsAreLookedUp) {
    const SidCase cases[] = {
        {L"S-1-1-0", platform::SidType::WellKnownGroup},  // Everyone
        {L"S-1-5-32-544", platform::SidType::Alias},      // BUILTIN\Administrators
    };
    for (const SidCase& sample : cases) {
        platform::AccountName bySid;
        ASSERT_EQ(platform::lsa().lookupSid(sample.sid, bySid), win32::kSuccess);
        EXPECT_FALSE(bySid.name.empty());
        EXPECT_EQ(bySid.type, sample.type);
        std::vector<std::wstring> names{bySid.name};
        if (!bySid.domain.empty()) {
            names.push_back(lower(bySid.domain) + L"\\" + lower(bySid.name));
        }
        for (const std::wstring& name : names) {
            platform::SidString sid;
            platform::AccountName byName;
            ASSERT_EQ(platform::lsa().lookupName(name, sid, byName), win32::kSuccess);
            EXPECT_EQ(sid, sample.sid);
            EXPECT_EQ(byName.name, bySid.name);
            EXPECT_EQ(byName.domain, bySid.domain);
        }
    }
}

TEST(LsaBackendTest, UnknownNameIsNoneMapped) {
    platform::SidString sid;
    platform::AccountName account;
    EXPECT_EQ(platform::lsa().lookupName(L"CorvantaNoSuchAccount", sid, account),
              lsaapi::kNoneMapped);
}

// A right given to the Guests group is listed with it and taken back.
TEST(LsaBackendTest, RightIsAddedListedAndRemoved) {
    std::unique_ptr<platform::LsaPolicy> policy;
    ASSERT_EQ(platform::lsa().openPolicy(lsaapi::kPolicyAllAccess, policy), lsaapi::kStatusSuccess);
    std::vector<platform::SidString> before;
    const lsaapi::NtStatus listed = policy->accountsWithRight(kDenyNetworkLogon, before);
    ASSERT_TRUE(listed == lsaapi::kStatusSuccess || listed == lsaapi::kStatusNoMoreEntries)
        << std::hex << listed;
    const bool held = std::find(before.begin(), before.end(), kGuestsSid) != before.end();

    ASSERT_EQ(policy->addRight(kGuestsSid, kDenyNetworkLogon), lsaapi::kStatusSuccess);
    std::vector<platform::SidString> withRight;
    const lsaapi::NtStatus after = policy->accountsWithRight(kDenyNetworkLogon, withRight);
    // Taken back before anything is checked, so that a failed check leaves the system as it was.
    const lsaapi::NtStatus removed =
        held ? lsaapi::kStatusSuccess : policy->removeRight(kGuestsSid, kDenyNetworkLogon);
    if (after == lsaapi::kStatusNoMoreEntries && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's LsaAddAccountRights succeeds without giving the right";
    }
    ASSERT_EQ(after, lsaapi::kStatusSuccess);
    EXPECT_NE(std::find(withRight.begin(), withRight.end(), kGuestsSid), withRight.end());
    EXPECT_EQ(removed, lsaapi::kStatusSuccess);
}

TEST(LsaBackendTest, UnknownRightIsNoSuchPrivilege) {
    std::unique_ptr<platform::LsaPolicy> policy;
    ASSERT_EQ(platform::lsa().openPolicy(lsaapi::kPolicyAllAccess, policy), lsaapi::kStatusSuccess);
    std::vector<platform::SidString> accounts;
    const lsaapi::NtStatus status = policy->accountsWithRight(L"SeCorvantaNoSuchRight", accounts);
    if (status == lsaapi::kStatusNoMoreEntries && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's LsaEnumerateAccountsWithUserRight knows no right names";
    }
    EXPECT_EQ(status, lsaapi::kStatusNoSuchPrivilege);
}

// The local accounts on the system's own user database.
TEST(LocalUsersBackendTest, EnumeratedAccountsAreReadByName) {
    std::vector<platform::UserAccount> accounts;
    ASSERT_EQ(platform::localUsers().enumerate(accounts), win32::kSuccess);
    ASSERT_FALSE(accounts.empty());
    for (const platform::UserAccount& account : accounts) {
        EXPECT_FALSE(account.name.empty());
        platform::UserInfo1 info;
        ASSERT_EQ(platform::localUsers().getInfo1(account.name, info), win32::kSuccess);
        EXPECT_EQ(info.name, account.name);
    }
}

// NetUserEnum was asked for normal accounts only.
TEST(LocalUsersBackendTest, EnumeratedAccountsAreNormalOnes) {
    std::vector<platform::UserAccount> accounts;
    ASSERT_EQ(platform::localUsers().enumerate(accounts), win32::kSuccess);
    for (const platform::UserAccount& account : accounts) {
        platform::UserInfo1 info;
        ASSERT_EQ(platform::localUsers().getInfo1(account.name, info), win32::kSuccess);
        if (info.flags == 0 && platform::win32::runningUnderWine()) {
            GTEST_SKIP() << "Wine's NetUserGetInfo gives no account flags";
        }
        EXPECT_NE(info.flags & users::kNormalAccount, 0u);
    }
}

TEST(LocalUsersBackendTest, NamesMatchWithoutRegardToCase) {
    std::vector<platform::UserAccount> accounts;
    ASSERT_EQ(platform::localUsers().enumerate(accounts), win32::kSuccess);
    ASSERT_FALSE(accounts.empty());
    std::wstring upper = accounts.front().name;
    std::transform(upper.begin(), upper.end(), upper.begin(), towupper);
    platform::UserInfo1 info;
    const win32::Error error = platform::localUsers().getInfo1(upper, info);
    if (error == users::kUserNotFound && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's NetUserGetInfo compares user names in their letter case";
    }
    ASSERT_EQ(error, win32::kSuccess);
    EXPECT_EQ(lower(info.name), lower(accounts.front().name));
}

TEST(LocalUsersBackendTest, UnknownUserIsNotFound) {
    platform::UserInfo1 info;
    EXPECT_EQ(platform::localUsers().getInfo1(L"CorvantaNoSuchUser", info), users::kUserNotFound);
}

// Setting an account's flags to what they are changes nothing but must succeed elevated.
TEST(LocalUsersBackendTest, FlagsAreWrittenBack) {
    std::vector<platform::UserAccount> accounts;
    ASSERT_EQ(platform::localUsers().enumerate(accounts), win32::kSuccess);
    ASSERT_FALSE(accounts.empty());
    platform::UserInfo1 info;
    ASSERT_EQ(platform::localUsers().getInfo1(accounts.front().name, info), win32::kSuccess);
    const win32::Error error = platform::localUsers().setFlags(info.name, info.flags);
    if (error == win32::kCallNotImplemented && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine 8 has no NetUserSetInfo (an export that ends the process)";
    }
    EXPECT_EQ(error, win32::kSuccess);
    platform::UserInfo1 again;
    ASSERT_EQ(platform::localUsers().getInfo1(info.name, again), win32::kSuccess);
    EXPECT_EQ(again.flags, info.flags);
}
