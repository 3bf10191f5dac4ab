#include <gtest/gtest.h>

#include "platform/Devices.h"
#include "platform/NetworkConfig.h"
#include "platform/NetworkList.h"
#include "platform/win32/Backend.h"

namespace netcfg = platform::netcfg;
namespace networks = platform::networks;

// The network configuration, read without the write lock as the sharing checks read it.
TEST(NetworkConfigBackendTest, ProtocolsAreListed) {
    std::unique_ptr<platform::NetCfgSession> session;
    ASSERT_EQ(platform::networkConfig().create(session), platform::kSOk);
    ASSERT_TRUE(session);
    ASSERT_EQ(session->initialize(), platform::kSOk);
    std::vector<platform::NetComponent> protocols;
    const platform::HResult result =
        session->components(netcfg::ComponentClass::Protocol, protocols);
    EXPECT_EQ(session->uninitialize(), platform::kSOk);
    if (result == platform::kENotImpl && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's INetCfg has no component classes (E_NOTIMPL)";
    }
    ASSERT_EQ(result, platform::kSOk);
    for (const platform::NetComponent& protocol : protocols) {
        EXPECT_FALSE(protocol.id.empty());
        EXPECT_EQ(protocol.componentClass, netcfg::ComponentClass::Protocol);
    }
}

// The Network List Manager on the system's own networks.
TEST(NetworkListBackendTest, ConnectedNetworksAreAmongAll) {
    std::vector<platform::NetworkInfo> all;
    std::vector<platform::NetworkInfo> connected;
    ASSERT_EQ(platform::networkList().networks(false, all), platform::kSOk);
    ASSERT_EQ(platform::networkList().networks(true, connected), platform::kSOk);
    for (const platform::NetworkInfo& network : connected) {
        if (!network.connected && platform::win32::runningUnderWine()) {
            GTEST_SKIP() << "Wine's INetwork::get_IsConnected answers false for the networks it "
                            "lists as connected";
        }
        EXPECT_TRUE(network.connected);
        platform::Guid id;
        EXPECT_TRUE(platform::Guid::parse(network.id, id));
        EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                                [&](const auto& known) { return known.id == network.id; }));
    }
    for (const platform::NetworkInfo& network : all) {
        EXPECT_GE(network.category, networks::kCategoryPublic);
        EXPECT_LE(network.category, networks::kCategoryDomainAuthenticated);
    }
}

TEST(NetworkListBackendTest, CategoryIsSetOnlyToPublicOrPrivateOfAKnownNetwork) {
    const std::wstring noNetwork = L"{00000000-0000-0000-0000-00000000C0A8}";
    EXPECT_EQ(platform::networkList().setCategory(noNetwork, networks::kCategoryPrivate),
              platform::kEInvalidArg);
    EXPECT_EQ(platform::networkList().setCategory(L"not a guid", networks::kCategoryPrivate),
              platform::kEInvalidArg);
    std::vector<platform::NetworkInfo> all;
    ASSERT_EQ(platform::networkList().networks(false, all), platform::kSOk);
    if (all.empty()) {
        GTEST_SKIP() << "the system knows no network";
    }
    EXPECT_EQ(
        platform::networkList().setCategory(all.front().id, networks::kCategoryDomainAuthenticated),
        platform::kEInvalidArg);
}
