#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/IpHelper.h"

// This Linux machine's own network (or that of the network namespace the process runs in),
// in the IP helper's vocabulary, and real ICMP echo.
namespace platform::posix {

// The IPv4 interfaces as GetAdaptersInfo lists adapters: one record per interface that has an
// IPv4 address or is a physical adapter, loopback left out (Windows lists no loopback adapter);
// the first address first, the interface's default-route gateway from /proc/net/route.
win32::Error hostAdapters(std::vector<AdapterInfo>& adapters);
// /proc/net/arp as MIB_IPNETROWs. Incomplete entries are of type invalid with no physical
// address; permanent ones static; the rest dynamic.
win32::Error hostArpTable(std::vector<ArpRow>& rows);
// The interface's index, operational status (operational when up and running, else
// disconnected when up, else non-operational) and its name as description.
win32::Error hostInterfaceRow(std::uint32_t index, InterfaceRow& row);

// /proc/net/arp's text as rows; `indexOf` maps a device name to its interface index (0 when the
// device is unknown, and the row is then left out).
std::vector<ArpRow> parseProcNetArp(
    const std::string& text, const std::function<std::uint32_t(const std::string&)>& indexOf);
// /proc/net/route's text: the default gateway (network byte order) of each device.
std::vector<std::pair<std::string, std::uint32_t>> parseDefaultGateways(const std::string& text);

// One ICMP echo request to `address` with `dataSize` zero bytes, waiting at most `timeoutMs`
// for the reply. Uses a raw ICMP socket where the process may open one, else an unprivileged
// ping socket; when neither opens, answers kAccessDenied and sends nothing (as a failing
// IcmpCreateFile).
win32::Error icmpEcho(std::uint32_t address, std::uint32_t timeoutMs, std::uint32_t dataSize,
                      EchoReply& reply);

}  // namespace platform::posix
