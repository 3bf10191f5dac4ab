// Name resolution and datagrams on this machine's own network stack, answering as Winsock does.
#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#include <memory>

#include "platform/posix/UniqueFd.h"

namespace platform::sockets {

namespace {

// The Winsock code for what a socket call left in errno. A receive time-out is WSAETIMEDOUT on
// Windows (where Linux says EAGAIN), and a closed UDP port that answered with ICMP unreachable
// is WSAECONNRESET (where Linux says ECONNREFUSED).
int winsockError(int error) {
    switch (error) {
        case 0:
            return 0;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case ETIMEDOUT:
            return kWsaTimedOut;
        case ECONNREFUSED:
        case ECONNRESET:
            return kWsaConnectionReset;
        case EHOSTUNREACH:
            return kWsaHostUnreachable;
        case ENETUNREACH:
            return kWsaNetworkUnreachable;
        case EADDRNOTAVAIL:
            return kWsaAddressNotAvailable;
        case ENOBUFS:
        case ENOMEM:
            return kWsaNoBufferSpace;
        default:
            return 10000 + error;  // WSABASEERR + the BSD code, as Winsock numbers the rest
    }
}

struct AddressInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

}  // namespace

std::uint32_t parseAddress(const std::string& text) {
    in_addr address{};
    if (text.empty() || inet_aton(text.c_str(), &address) == 0) {
        return kAddressNone;
    }
    return address.s_addr;
}

std::string addressText(std::uint32_t address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr value{};
    value.s_addr = address;
    inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

std::uint32_t resolveHost(const std::string& name) {
    if (name.empty()) {
        return kAddressNone;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return kAddressNone;
    }
    const std::unique_ptr<addrinfo, AddressInfoDeleter> owner(found);
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            return reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
        }
    }
    return kAddressNone;
}

int exchangeDatagram(std::uint32_t address, std::uint16_t port,
                     const std::vector<std::uint8_t>& request, int receiveTimeoutMs,
                     std::size_t maxReply, std::vector<std::uint8_t>& reply) {
    reply.clear();
    posix::UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    if (!socket.valid()) {
        return winsockError(errno);
    }
    timeval timeout{};
    timeout.tv_sec = receiveTimeoutMs / 1000;
    timeout.tv_usec = (receiveTimeoutMs % 1000) * 1000;
    if (setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        return winsockError(errno);
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = address;
    // Connected: the kernel drops datagrams from any other address or port.
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        return winsockError(errno);
    }
    if (::send(socket.get(), request.data(), request.size(), 0) < 0) {
        return winsockError(errno);
    }
    reply.resize(maxReply);
    const ssize_t received = ::recv(socket.get(), reply.data(), reply.size(), MSG_TRUNC);
    if (received < 0) {
        const int error = errno;
        reply.clear();
        return winsockError(error);
    }
    if (static_cast<std::size_t>(received) > maxReply) {
        return kWsaMessageSize;  // the datagram was longer than the buffer: cut to it
    }
    reply.resize(static_cast<std::size_t>(received));
    return 0;
}

}  // namespace platform::sockets
