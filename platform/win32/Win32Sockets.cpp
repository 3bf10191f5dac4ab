// Winsock: address text, name resolution and one datagram exchange. Every call starts Winsock
// for its own duration (WSAStartup counts its users) and closes its socket by RAII.
#include <winsock2.h>
// (winsock2.h before windows.h, which would otherwise bring the old winsock.h.)
#include <windows.h>

#include <memory>

#include "platform/Sockets.h"

namespace platform::sockets {

namespace {

constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

// Winsock 2.2 for the life of the object.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data{};
        started_ = WSAStartup(kWinsockVersion, &data) == 0;
    }
    ~WinsockSession() {
        if (started_) {
            WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool started() const { return started_; }

private:
    bool started_ = false;
};

class UniqueSocket {
public:
    explicit UniqueSocket(SOCKET socket) : socket_(socket) {}
    ~UniqueSocket() {
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
        }
    }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;
    SOCKET get() const { return socket_; }
    bool valid() const { return socket_ != INVALID_SOCKET; }

private:
    SOCKET socket_;
};

}  // namespace

std::uint32_t parseAddress(const std::string& text) {
    // Older systems answer 0 for empty text; every system here answers INADDR_NONE.
    if (text.empty()) {
        return kAddressNone;
    }
    const WinsockSession winsock;
    return inet_addr(text.c_str());
}

std::string addressText(std::uint32_t address) {
    const WinsockSession winsock;
    in_addr value{};
    value.s_addr = address;
    // inet_ntoa's buffer belongs to the calling thread; it is copied at once.
    const char* text = inet_ntoa(value);
    return text != nullptr ? std::string(text) : std::string();
}

std::uint32_t resolveHost(const std::string& name) {
    if (name.empty()) {
        return kAddressNone;
    }
    const WinsockSession winsock;
    if (!winsock.started()) {
        return kAddressNone;
    }
    const hostent* host = gethostbyname(name.c_str());
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr) {
        return kAddressNone;
    }
    return reinterpret_cast<const in_addr*>(host->h_addr_list[0])->s_addr;
}

int exchangeDatagram(std::uint32_t address, std::uint16_t port,
                     const std::vector<std::uint8_t>& request, int receiveTimeoutMs,
                     std::size_t maxReply, std::vector<std::uint8_t>& reply) {
    reply.clear();
    const WinsockSession winsock;
    if (!winsock.started()) {
        return WSAGetLastError();
    }
    const UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket.valid()) {
        return WSAGetLastError();
    }
    // SO_RCVTIMEO takes the time-out as a DWORD of milliseconds on Windows.
    const DWORD timeout = static_cast<DWORD>(receiveTimeoutMs);
    setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = address;
    peer.sin_port = htons(port);
    if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        return WSAGetLastError();
    }
    if (send(socket.get(), reinterpret_cast<const char*>(request.data()),
             static_cast<int>(request.size()), 0) == SOCKET_ERROR) {
        return WSAGetLastError();
    }
    reply.assign(maxReply, 0);
    const int received =
        recv(socket.get(), reinterpret_cast<char*>(reply.data()), static_cast<int>(maxReply), 0);
    if (received == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        // A datagram larger than the buffer still fills it (WSAEMSGSIZE); anything else
        // leaves nothing.
        if (error != kWsaMessageSize) {
            reply.clear();
        }
        return error;
    }
    reply.resize(static_cast<std::size_t>(received));
    return 0;
}

}  // namespace platform::sockets
