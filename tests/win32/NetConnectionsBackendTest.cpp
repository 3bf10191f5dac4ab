#include <gtest/gtest.h>

#include "platform/NetConnections.h"
#include "platform/win32/Backend.h"

namespace win32 = platform::win32;
namespace net = platform::net;

namespace {

constexpr win32::Error kErrorNoNetwork = 1222;  // ERROR_NO_NETWORK

}  // namespace

// Windows networking on this user's own connections. Only loopback is named: nothing
// serves SMB there, so no connection is ever made.
class NetConnectionsBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<platform::NetConnection> connections;
        const win32::Error error = platform::netConnections().connections(connections);
        if (error == kErrorNoNetwork && platform::win32::runningUnderWine()) {
            GTEST_SKIP() << "Wine has no network provider for WNet (ERROR_NO_NETWORK)";
        }
    }
};

TEST_F(NetConnectionsBackendTest, OpenConnectionsAreListed) {
    std::vector<platform::NetConnection> connections;
    ASSERT_EQ(platform::netConnections().connections(connections), win32::kSuccess);
    for (const platform::NetConnection& connection : connections) {
        EXPECT_EQ(connection.remoteName.rfind(L"\\\\", 0), 0u);
    }
}

TEST_F(NetConnectionsBackendTest, CancellingNoConnectionIsNotConnected) {
    EXPECT_EQ(
        platform::netConnections().cancelConnection2(L"\\\\127.0.0.1\\CorvantaNone", 0, false),
        net::kErrorNotConnected);
}

// The share listing is a call of its own (netapi32), tried whether WNet works or not.
TEST(ShareListingBackendTest, HostWithoutSharesIsNotListed) {
    std::vector<platform::ShareInfo1> shares;
    std::uint32_t resume = 0;
    const win32::Error error = platform::netConnections().shareEnum(L"127.0.0.1", shares, resume);
    if (error == win32::kNotSupported && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's NetShareEnum lists no other host (ERROR_NOT_SUPPORTED)";
    }
    EXPECT_NE(error, win32::kSuccess);
    EXPECT_TRUE(shares.empty());
    EXPECT_EQ(resume, 0u);
}
