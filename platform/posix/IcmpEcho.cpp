// ICMP echo on this machine: a raw socket where the process holds the right to open one
// (root or CAP_NET_RAW), else the kernel's unprivileged ping socket (allowed for the groups in
// net.ipv4.ping_group_range).
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>

#include "HostNetwork.h"
#include "UniqueFd.h"

namespace platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

struct EchoSocket {
    UniqueFd fd;
    bool raw = false;  // raw sockets see every ICMP packet of the host, with its IP header
};

EchoSocket openEchoSocket() {
    EchoSocket socket;
    socket.fd.reset(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    socket.raw = socket.fd.valid();
    if (!socket.raw)
        socket.fd.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
    return socket;
}

std::uint16_t checksum(const unsigned char* data, std::size_t size) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        sum += (std::uint32_t(data[i]) << 8) | data[i + 1];
    if (size & 1)
        sum += std::uint32_t(data[size - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

// Each request gets its own identifier and sequence, so the ten probe threads (each with its
// own raw socket, which sees the others' replies too) each take only their own answer.
std::uint16_t nextIdentifier() {
    static std::atomic<std::uint16_t> counter{static_cast<std::uint16_t>(::getpid() * 31)};
    return counter.fetch_add(1);
}

std::vector<unsigned char> echoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                       std::uint32_t dataSize) {
    std::vector<unsigned char> packet(8 + dataSize, 0);
    packet[0] = ICMP_ECHO;
    packet[4] = static_cast<unsigned char>(identifier >> 8);
    packet[5] = static_cast<unsigned char>(identifier);
    packet[6] = static_cast<unsigned char>(sequence >> 8);
    packet[7] = static_cast<unsigned char>(sequence);
    const std::uint16_t sum = checksum(packet.data(), packet.size());
    packet[2] = static_cast<unsigned char>(sum >> 8);
    packet[3] = static_cast<unsigned char>(sum);
    return packet;
}

// True when `packet` (as received from `from`) is the echo reply to our request. A ping
// socket's kernel rewrites the identifier and delivers only our own replies.
bool isOurReply(const EchoSocket& socket, const unsigned char* packet, std::size_t size,
                std::uint32_t from, std::uint32_t address, std::uint16_t identifier,
                std::uint16_t sequence) {
    if (from != address)
        return false;
    std::size_t offset = 0;
    if (socket.raw) {
        if (size < 20)
            return false;
        offset = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    }
    if (size < offset + 8)
        return false;
    const unsigned char* icmp = packet + offset;
    if (icmp[0] != ICMP_ECHOREPLY)
        return false;
    const std::uint16_t replySequence = static_cast<std::uint16_t>((icmp[6] << 8) | icmp[7]);
    const std::uint16_t replyIdentifier = static_cast<std::uint16_t>((icmp[4] << 8) | icmp[5]);
    return replySequence == sequence && (!socket.raw || replyIdentifier == identifier);
}

}  // namespace

win32::Error icmpEcho(std::uint32_t address, std::uint32_t timeoutMs, std::uint32_t dataSize,
                      EchoReply& reply) {
    reply = EchoReply{};
    EchoSocket socket = openEchoSocket();
    if (!socket.fd.valid())
        return win32::kAccessDenied;

    const std::uint16_t identifier = nextIdentifier();
    const std::uint16_t sequence = 1;
    const std::vector<unsigned char> request = echoRequest(identifier, sequence, dataSize);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = address;
    const Clock::time_point start = Clock::now();
    if (::sendto(socket.fd.get(), request.data(), request.size(), 0,
                 reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0) {
        // An unreachable network or a refused send is a host that does not answer.
        return win32::kSuccess;
    }
    const Clock::time_point deadline = start + std::chrono::milliseconds(timeoutMs);
    unsigned char packet[1500];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return win32::kSuccess;
        pollfd waiting{socket.fd.get(), POLLIN, 0};
        if (::poll(&waiting, 1, static_cast<int>(left)) <= 0)
            continue;  // timed out (the loop ends above) or interrupted
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t size = ::recvfrom(socket.fd.get(), packet, sizeof packet, 0,
                                        reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (size <= 0)
            continue;
        if (isOurReply(socket, packet, static_cast<std::size_t>(size), from.sin_addr.s_addr,
                       address, identifier, sequence)) {
            reply.replies = 1;
            reply.status = iphlp::kIpSuccess;
            reply.roundTripMs = static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                    .count());
            return win32::kSuccess;
        }
    }
}

}  // namespace platform::posix
