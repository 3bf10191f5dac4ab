#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

#include "platform/IpHelper.h"
#include "platform/sim/core/Profile.h"

// The "iphelper" state document of the simulated PC: where its adapters and ARP table come
// from, and the PC's own lists.
//
//   {"source": "profile" | "host",
//    "adapters": [{"index": 11, "name": "{GUID}", "description": "...", "status": "operational",
//                  "addresses": [{"address": "127.0.0.1", "mask": "255.255.255.224"}],
//                  "gateway": "0.0.0.0"}],
//    "arp": [{"index": 11, "address": "127.0.0.5", "mac": "00-15-5d-00-00-05",
//             "type": "dynamic"}]}
//
// With source "host" the PC reports this Linux machine's (or network namespace's) adapters and
// ARP table instead of its own lists, which are kept for the switch back.
namespace platform::sim::iphelper {

constexpr const char* kIpHelperFacility = "iphelper";

enum class Source { Profile, Host };

// An adapter of the PC with its interface's operational status.
struct SimAdapter {
    AdapterInfo info;
    std::uint32_t operStatus = iphlp::kOperStatusOperational;
};

struct NetworkState {
    Source source = Source::Profile;
    std::vector<SimAdapter> adapters;
    std::vector<ArpRow> arp;

    const SimAdapter* adapter(std::uint32_t index) const;
};

// Reads and checks the document (or a profile section, whose "source" is optional); the error
// names the JSON path at fault under `path`.
bool readNetworkState(const QJsonObject& object, const QString& path, NetworkState& state,
                      QString& error);
QJsonObject networkStateToJson(const NetworkState& state);

ProfileSection ipHelperProfileSection();

// Operational status by name ("operational", "connected", "disconnected", "connecting",
// "unreachable", "nonoperational") and back.
bool operStatusFromName(const QString& name, std::uint32_t& status);
QString operStatusName(std::uint32_t status);
QString arpTypeName(std::uint32_t type);
// "00-15-5d-00-00-05" or "00:15:5d:00:00:05" (up to 8 bytes), or "" for none.
bool parseMac(const QString& text, ArpRow& row);
QString macText(const ArpRow& row);
// A dotted quad whose one-bits are contiguous from the top.
bool isContiguousMask(const QString& mask);

}  // namespace platform::sim::iphelper
