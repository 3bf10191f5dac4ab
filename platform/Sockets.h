#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The few socket services the program uses on this machine's own network stack: IPv4 address
// text, name resolution and one datagram exchange. Addresses are 32-bit values in network byte
// order, as the Windows socket functions give them; errors are Winsock codes.
namespace platform::sockets {

// INADDR_NONE: what inet_addr answers for text that is not an address, and resolveHost for a
// name that does not resolve.
constexpr std::uint32_t kAddressNone = 0xFFFFFFFFu;

constexpr int kWsaTimedOut = 10060;         // WSAETIMEDOUT: no answer within the receive time-out
constexpr int kWsaConnectionReset = 10054;  // WSAECONNRESET: the port is closed (ICMP unreachable)
constexpr int kWsaHostUnreachable = 10065;  // WSAEHOSTUNREACH
constexpr int kWsaNetworkUnreachable = 10051;   // WSAENETUNREACH
constexpr int kWsaAddressNotAvailable = 10049;  // WSAEADDRNOTAVAIL
constexpr int kWsaNoBufferSpace = 10055;        // WSAENOBUFS
constexpr int kWsaMessageSize = 10040;          // WSAEMSGSIZE: the datagram was cut to fit

// inet_addr: dotted IPv4 text (also its short and hexadecimal forms) to an address;
// kAddressNone when the text is not one.
std::uint32_t parseAddress(const std::string& text);

// inet_ntoa: the address as dotted decimal text.
std::string addressText(std::uint32_t address);

// The first IPv4 address the system resolver gives for `name` (ANSI text), or kAddressNone.
std::uint32_t resolveHost(const std::string& name);

// Sends `request` in one UDP datagram to address:port from a socket connected to that address,
// so that only an answer from it counts, and receives one datagram of at most `maxReply` bytes
// within `receiveTimeoutMs`. Answers the socket error after the receive (0 when a datagram
// arrived; kWsaTimedOut when none did in time). `reply` holds what arrived.
int exchangeDatagram(std::uint32_t address, std::uint16_t port,
                     const std::vector<std::uint8_t>& request, int receiveTimeoutMs,
                     std::size_t maxReply, std::vector<std::uint8_t>& reply);

}  // namespace platform::sockets
