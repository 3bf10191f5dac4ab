#include "HostNetwork.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace platform::posix {

namespace {

struct IfAddrsDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
using IfAddrsList = std::unique_ptr<ifaddrs, IfAddrsDeleter>;

std::string readWholeFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string dotted(const sockaddr* address) {
    if (!address || address->sa_family != AF_INET)
        return iphlp::kNoAddress;
    return formatIpv4(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

// /proc/net/arp flags (linux/if_arp.h).
constexpr unsigned kArpComplete = 0x2;
constexpr unsigned kArpPermanent = 0x4;

bool parseMac(const std::string& text, ArpRow& row) {
    unsigned bytes[6];
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x", &bytes[0], &bytes[1], &bytes[2], &bytes[3],
                    &bytes[4], &bytes[5]) != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        row.physicalAddress[i] = static_cast<std::uint8_t>(bytes[i]);
    row.physicalAddressLength = 6;
    return true;
}

}  // namespace

std::vector<ArpRow> parseProcNetArp(
    const std::string& text, const std::function<std::uint32_t(const std::string&)>& indexOf) {
    std::vector<ArpRow> rows;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);  // the column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string ip, hwType, flags, mac, mask, device;
        if (!(fields >> ip >> hwType >> flags >> mac >> mask >> device))
            continue;
        ArpRow row;
        row.index = indexOf(device);
        if (row.index == 0 || !parseIpv4(ip, row.address))
            continue;
        const unsigned flagBits = static_cast<unsigned>(std::strtoul(flags.c_str(), nullptr, 16));
        if (!(flagBits & kArpComplete) || !parseMac(mac, row)) {
            row.type = iphlp::kIpNetTypeInvalid;
            row.physicalAddressLength = 0;
        } else {
            row.type =
                (flagBits & kArpPermanent) ? iphlp::kIpNetTypeStatic : iphlp::kIpNetTypeDynamic;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::pair<std::string, std::uint32_t>> parseDefaultGateways(const std::string& text) {
    std::vector<std::pair<std::string, std::uint32_t>> gateways;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, destination, gateway;
        if (!(fields >> device >> destination >> gateway))
            continue;
        // The file prints the addresses as the kernel holds them (network order) in hex.
        const auto destinationValue =
            static_cast<std::uint32_t>(std::strtoul(destination.c_str(), nullptr, 16));
        const auto gatewayValue =
            static_cast<std::uint32_t>(std::strtoul(gateway.c_str(), nullptr, 16));
        if (destinationValue == 0 && gatewayValue != 0)
            gateways.emplace_back(device, gatewayValue);
    }
    return gateways;
}

win32::Error hostAdapters(std::vector<AdapterInfo>& adapters) {
    adapters.clear();
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return iphlp::kErrorNoData;
    IfAddrsList list(raw);
    std::map<std::string, std::string> gateways;
    for (const auto& [device, gateway] : parseDefaultGateways(readWholeFile("/proc/net/route")))
        gateways.emplace(device, formatIpv4(gateway));

    std::map<std::string, std::size_t> byName;
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (entry->ifa_flags & IFF_LOOPBACK)
            continue;
        const bool inet = entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET;
        auto found = byName.find(entry->ifa_name);
        if (found == byName.end()) {
            AdapterInfo adapter;
            adapter.index = if_nametoindex(entry->ifa_name);
            if (adapter.index == 0)
                continue;
            adapter.name = entry->ifa_name;
            adapter.description = entry->ifa_name;
            adapter.addresses.clear();
            const auto gateway = gateways.find(entry->ifa_name);
            adapter.gateways = {gateway != gateways.end() ? gateway->second : iphlp::kNoAddress};
            found = byName.emplace(entry->ifa_name, adapters.size()).first;
            adapters.push_back(adapter);
        }
        if (inet)
            adapters[found->second].addresses.push_back(
                {dotted(entry->ifa_addr), dotted(entry->ifa_netmask)});
    }
    for (AdapterInfo& adapter : adapters) {
        if (adapter.addresses.empty())
            adapter.addresses.push_back(AdapterAddress{});
    }
    return adapters.empty() ? iphlp::kErrorNoData : win32::kSuccess;
}

win32::Error hostArpTable(std::vector<ArpRow>& rows) {
    rows = parseProcNetArp(readWholeFile("/proc/net/arp"), [](const std::string& device) {
        return if_nametoindex(device.c_str());
    });
    return rows.empty() ? iphlp::kErrorNoData : win32::kSuccess;
}

win32::Error hostInterfaceRow(std::uint32_t index, InterfaceRow& row) {
    char name[IF_NAMESIZE] = {};
    if (!if_indextoname(index, name))
        return iphlp::kErrorInvalidData;
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return iphlp::kErrorInvalidData;
    IfAddrsList list(raw);
    unsigned flags = 0;
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (std::string(entry->ifa_name) == name)
            flags |= entry->ifa_flags;
    }
    row.index = index;
    row.description = name;
    if ((flags & IFF_UP) && (flags & IFF_RUNNING))
        row.operStatus = iphlp::kOperStatusOperational;
    else if (flags & IFF_UP)
        row.operStatus = iphlp::kOperStatusDisconnected;
    else
        row.operStatus = iphlp::kOperStatusNonOperational;
    return win32::kSuccess;
}

}  // namespace platform::posix
