#include <gtest/gtest.h>

#include <winsock2.h>
// (winsock2.h before windows.h, which would otherwise bring the old winsock.h.)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/IpHelper.h"
#include "platform/Sockets.h"
#include "platform/win32/Backend.h"

namespace win32 = platform::win32;
namespace iphlp = platform::iphlp;
namespace sockets = platform::sockets;

namespace {

const std::uint32_t kLoopback = platform::networkOrder(0x7F000001);

// A UDP peer on a loopback port of its own that answers each datagram with its first
// `answerBytes` bytes repeated `repeat` times (0: no answer at all), on a thread of its own.
class LoopbackPeer {
public:
    LoopbackPeer(std::size_t repeat) : repeat_(repeat) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = kLoopback;
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { answerOne(); });
    }
    ~LoopbackPeer() {
        closesocket(socket_);  // ends a receive still waiting
        thread_.join();
        WSACleanup();
    }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t port() const { return port_; }

private:
    void answerOne() {
        char buffer[512];
        sockaddr_in from{};
        int length = sizeof from;
        const int received = recvfrom(socket_, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&from), &length);
        if (received <= 0 || repeat_ == 0) {
            return;
        }
        std::string answer;
        for (std::size_t i = 0; i < repeat_; ++i) {
            answer.append(buffer, static_cast<std::size_t>(received));
        }
        sendto(socket_, answer.data(), static_cast<int>(answer.size()), 0,
               reinterpret_cast<sockaddr*>(&from), length);
    }

    std::size_t repeat_;
    SOCKET socket_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

struct AddressCase {
    const char* text;
    std::uint32_t hostOrder;  // of the address inet_addr gives
};

}  // namespace

// inet_addr's forms: dotted, short ("a.b.c" puts c in the last 16 bits) and hexadecimal parts.
TEST(SocketsBackendTest, AddressTextAsInetAddrReadsIt) {
    const AddressCase cases[] = {
        {"127.0.0.1", 0x7F000001},  {"192.168.1.20", 0xC0A80114}, {"10.1.258", 0x0A010102},
        {"0x7f.0.0.1", 0x7F000001}, {"256.1.1.1", 0xFFFFFFFF},    {"a.b.c.d", 0xFFFFFFFF},
        {"", 0xFFFFFFFF},
    };
    for (const AddressCase& sample : cases) {
        EXPECT_EQ(sockets::parseAddress(sample.text), platform::networkOrder(sample.hostOrder))
            << sample.text;
    }
    EXPECT_EQ(sockets::addressText(platform::networkOrder(0xC0A80114)), "192.168.1.20");
}

TEST(SocketsBackendTest, LocalhostResolvesToLoopback) {
    EXPECT_EQ(sockets::resolveHost("localhost"), kLoopback);
    EXPECT_EQ(sockets::resolveHost(""), sockets::kAddressNone);
}

TEST(SocketsBackendTest, DatagramIsAnswered) {
    const LoopbackPeer peer(1);
    const std::vector<std::uint8_t> request{'n', 'b', 's', 't', 'a', 't'};
    std::vector<std::uint8_t> reply;
    EXPECT_EQ(sockets::exchangeDatagram(kLoopback, peer.port(), request, 2000, 576, reply), 0);
    EXPECT_EQ(reply, request);
}

// An answer larger than the buffer fills it and says it was cut.
TEST(SocketsBackendTest, LongAnswerIsCutToTheBuffer) {
    const LoopbackPeer peer(4);
    const std::vector<std::uint8_t> request(8, 'x');
    std::vector<std::uint8_t> reply;
    EXPECT_EQ(sockets::exchangeDatagram(kLoopback, peer.port(), request, 2000, 16, reply),
              sockets::kWsaMessageSize);
    EXPECT_EQ(reply, std::vector<std::uint8_t>(16, 'x'));
}

TEST(SocketsBackendTest, SilentPeerTimesOut) {
    const LoopbackPeer peer(0);
    std::vector<std::uint8_t> reply;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sockets::exchangeDatagram(kLoopback, peer.port(), {1, 2, 3}, 300, 576, reply),
              sockets::kWsaTimedOut);
    EXPECT_TRUE(reply.empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

// The IP helper on the system's own network configuration.
TEST(IpHelperBackendTest, AdaptersHaveAnAddressAndAGatewayEach) {
    std::vector<platform::AdapterInfo> adapters;
    const win32::Error error = platform::ipHelper().adapters(adapters);
    if (error == iphlp::kErrorNoData) {
        GTEST_SKIP() << "the system has no network adapter";
    }
    ASSERT_EQ(error, win32::kSuccess);
    ASSERT_FALSE(adapters.empty());
    for (const platform::AdapterInfo& adapter : adapters) {
        EXPECT_FALSE(adapter.name.empty());
        ASSERT_FALSE(adapter.addresses.empty());
        EXPECT_FALSE(adapter.gateways.empty());
        std::uint32_t address = 0;
        EXPECT_TRUE(platform::parseIpv4(adapter.addresses.front().address, address))
            << adapter.addresses.front().address;
        platform::InterfaceRow row;
        EXPECT_EQ(platform::ipHelper().interfaceRow(adapter.index, row), win32::kSuccess);
        EXPECT_EQ(row.index, adapter.index);
    }
}

TEST(IpHelperBackendTest, UnknownInterfaceIndexIsInvalidData) {
    platform::InterfaceRow row;
    const win32::Error error = platform::ipHelper().interfaceRow(0x7FFFFFF0, row);
    if (error == win32::kFileNotFound && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's GetIfEntry answers ERROR_FILE_NOT_FOUND for an unknown index";
    }
    EXPECT_EQ(error, iphlp::kErrorInvalidData);
}

// A sorted table keeps each interface's rows together, in the order of their addresses' bytes
// (first octet first); the interfaces come by index.
TEST(IpHelperBackendTest, SortedArpTableIsInAddressOrder) {
    std::vector<platform::ArpRow> rows;
    const win32::Error error = platform::ipHelper().arpTable(rows, true);
    if (error == iphlp::kErrorNoData) {
        GTEST_SKIP() << "the ARP table is empty";
    }
    ASSERT_EQ(error, win32::kSuccess);
    std::string order;
    for (const platform::ArpRow& row : rows) {
        order += std::to_string(row.index) + ":" + platform::formatIpv4(row.address) + " ";
    }
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return a.index != b.index ? a.index < b.index
                                  : platform::hostOrder(a.address) < platform::hostOrder(b.address);
    })) << order;
}

TEST(IpHelperBackendTest, LoopbackAnswersAnEcho) {
    platform::EchoReply reply;
    const win32::Error error = platform::ipHelper().echo(kLoopback, 1000, 32, reply);
    ASSERT_EQ(error, win32::kSuccess);
    EXPECT_EQ(reply.replies, 1u);
    EXPECT_EQ(reply.status, iphlp::kIpSuccess);
}
