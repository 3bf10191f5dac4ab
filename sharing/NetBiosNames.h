#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The NetBIOS node status query (RFC 1002 NBSTAT) that asks a host for its computer name and
// its workgroup.
namespace sharing {

constexpr std::uint16_t kNetBiosNamePort = 137;
constexpr int kNetBiosTimeoutMs = 400;

// The 50-byte node status request for the wildcard name "*".
std::vector<std::uint8_t> nodeStatusRequest();

// What a node status response says. Both names are in the host's ANSI code page, with the
// spaces that pad them removed; empty when the answer does not carry them.
struct NetBiosNames {
    std::string deviceName;  // the first unique name with suffix 0x00
    std::string group;       // the last other name with suffix 0x00 (a group name)
};

// Reads a node status response. An answer shorter than a response with one name, or too short
// for the name count it states, is unusable: false, and no names.
bool parseNodeStatus(const std::vector<std::uint8_t>& response, NetBiosNames& names);

// Sends the request to UDP port 137 of `address` (network byte order) and reads the one answer
// from that address within `timeoutMs`. Answers the socket error (10060 when nothing came in
// time); `names` keeps what a usable answer held.
int queryNetBiosNames(std::uint32_t address, int timeoutMs, NetBiosNames& names);

}  // namespace sharing
