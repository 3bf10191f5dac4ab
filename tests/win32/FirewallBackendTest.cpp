#include <gtest/gtest.h>

#include "platform/Firewall.h"
#include "platform/win32/Backend.h"

namespace fw = platform::fw;

// The firewall policy backend on the system's firewall. It is read, and only a group of no
// rules is "changed", so the system's rules stay as they are.
class FirewallBackendTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kNoSuchGroup = L"Corvanta No Such Group";

    void SetUp() override {
        ASSERT_EQ(platform::firewall().openPolicy(policy_), platform::kSOk);
        ASSERT_TRUE(policy_);
        fw::ProfileTypes types = 0;
        const platform::HResult result = policy_->currentProfileTypes(types);
        if (result == platform::kENotImpl && platform::win32::runningUnderWine()) {
            GTEST_SKIP() << "Wine's INetFwPolicy2 has no profiles (get_CurrentProfileTypes "
                            "answers E_NOTIMPL)";
        }
        ASSERT_EQ(result, platform::kSOk);
    }

    std::unique_ptr<platform::FirewallPolicy> policy_;
};

TEST_F(FirewallBackendTest, CurrentProfilesAreKnownOnes) {
    fw::ProfileTypes types = 0;
    ASSERT_EQ(policy_->currentProfileTypes(types), platform::kSOk);
    EXPECT_NE(types, 0);
    EXPECT_EQ(types & ~(fw::kProfileDomain | fw::kProfilePrivate | fw::kProfilePublic), 0);
}

TEST_F(FirewallBackendTest, GroupOfNoRulesIsNotEnabled) {
    bool enabled = true;
    EXPECT_EQ(policy_->isRuleGroupEnabled(fw::kProfilePrivate, kNoSuchGroup, enabled),
              platform::kSFalse);
    EXPECT_FALSE(enabled);
}

TEST_F(FirewallBackendTest, MaskOfNoProfileIsInvalid) {
    bool enabled = true;
    EXPECT_EQ(policy_->isRuleGroupEnabled(0, kNoSuchGroup, enabled), platform::kEInvalidArg);
    EXPECT_EQ(policy_->enableRuleGroup(0, kNoSuchGroup, true), platform::kEInvalidArg);
}
