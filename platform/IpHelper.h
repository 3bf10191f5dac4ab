#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Win32Error.h"

// The IP helper (iphlpapi): the PC's network adapters, the ARP table, an interface's row and
// ICMP echo. Addresses in numbers are IPv4 values in network byte order, as the Windows address
// functions give them; in text they are dotted quads.
namespace platform {

namespace iphlp {

// MIB_IFROW dwOperStatus (INTERNAL_IF_OPER_STATUS).
constexpr std::uint32_t kOperStatusNonOperational = 0;
constexpr std::uint32_t kOperStatusUnreachable = 1;
constexpr std::uint32_t kOperStatusDisconnected = 2;
constexpr std::uint32_t kOperStatusConnecting = 3;
constexpr std::uint32_t kOperStatusConnected = 4;
constexpr std::uint32_t kOperStatusOperational = 5;

// MIB_IPNETROW dwType (MIB_IPNET_TYPE_*).
constexpr std::uint32_t kIpNetTypeOther = 1;
constexpr std::uint32_t kIpNetTypeInvalid = 2;
constexpr std::uint32_t kIpNetTypeDynamic = 3;
constexpr std::uint32_t kIpNetTypeStatic = 4;

// ICMP_ECHO_REPLY Status (IP_STATUS).
constexpr std::uint32_t kIpSuccess = 0;
constexpr std::uint32_t kIpReqTimedOut = 11010;

// Errors of the table calls.
constexpr win32::Error kErrorNoData = 232;      // ERROR_NO_DATA: no adapters, an empty table
constexpr win32::Error kErrorInvalidData = 13;  // GetIfEntry: no interface with that index

// GetAdaptersInfo writes "0.0.0.0" where an adapter has no address, mask or gateway.
constexpr const char* kNoAddress = "0.0.0.0";

}  // namespace iphlp

// One IP_ADDR_STRING of an adapter: address and mask as dotted text.
struct AdapterAddress {
    std::string address = iphlp::kNoAddress;
    std::string mask = iphlp::kNoAddress;
};

// One IP_ADAPTER_INFO record. `addresses` and `gateways` always hold at least one entry, as the
// Windows lists do ("0.0.0.0" when the adapter has none).
struct AdapterInfo {
    std::uint32_t index = 0;
    std::string name;         // the adapter's GUID name on Windows
    std::string description;  // "Intel(R) Ethernet Connection I219-V"
    std::vector<AdapterAddress> addresses{AdapterAddress{}};
    std::vector<std::string> gateways{iphlp::kNoAddress};
};

// One MIB_IPNETROW.
struct ArpRow {
    std::uint32_t index = 0;    // interface index
    std::uint32_t address = 0;  // network byte order
    std::uint32_t physicalAddressLength = 0;
    std::uint8_t physicalAddress[8] = {};
    std::uint32_t type = iphlp::kIpNetTypeDynamic;
};

// The fields of MIB_IFROW the program reads.
struct InterfaceRow {
    std::uint32_t index = 0;
    std::uint32_t operStatus = iphlp::kOperStatusNonOperational;
    // bDescr up to dwDescrLen: bytes, as the interface reports them.
    std::string description;
};

// The outcome of one IcmpSendEcho: the number of replies and the first reply's status.
struct EchoReply {
    std::uint32_t replies = 0;
    std::uint32_t status = iphlp::kIpReqTimedOut;
    std::uint32_t roundTripMs = 0;
};

class IpHelper {
public:
    virtual ~IpHelper() = default;

    // GetAdaptersInfo, in the system's order. kErrorNoData when the PC has no adapter.
    virtual win32::Error adapters(std::vector<AdapterInfo>& adapters) const = 0;
    // GetIpNetTable; `sorted` orders the rows by address as Windows does (by the bytes of the
    // address, first octet first). kErrorNoData when the table is empty.
    virtual win32::Error arpTable(std::vector<ArpRow>& rows, bool sorted) const = 0;
    // GetIfEntry for interface `index`; kErrorInvalidData when no interface has that index.
    virtual win32::Error interfaceRow(std::uint32_t index, InterfaceRow& row) const = 0;

    // IcmpCreateFile, IcmpSendEcho with `dataSize` zero bytes and no IP options, IcmpCloseHandle.
    // Answers 0 with the reply (replies 0 when none came within `timeoutMs`), or the error of
    // opening the ICMP handle (then no request was sent).
    virtual win32::Error echo(std::uint32_t address, std::uint32_t timeoutMs,
                              std::uint32_t dataSize, EchoReply& reply) const = 0;
};

// The IpHelper of the system this process runs on (see Platform.h).
IpHelper& ipHelper();

// Dotted text to an address in network byte order, as inet_addr: false for text that is not
// four decimal parts of 0 to 255 ("255.255.255.255" parses, though inet_addr reports it as its
// error value).
bool parseIpv4(const std::string& text, std::uint32_t& address);
// An address in network byte order as dotted text.
std::string formatIpv4(std::uint32_t address);
// Host-order value of an address in network byte order and back.
std::uint32_t hostOrder(std::uint32_t networkOrder);
std::uint32_t networkOrder(std::uint32_t hostOrder);

}  // namespace platform
