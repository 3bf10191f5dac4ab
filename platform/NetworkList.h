#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/HResult.h"

namespace platform {

// The Network List Manager (INetworkListManager, INetwork): the networks the PC knows and the
// category each is in.
namespace networks {
// NLM_NETWORK_CATEGORY.
constexpr std::int32_t kCategoryPublic = 0;
constexpr std::int32_t kCategoryPrivate = 1;
constexpr std::int32_t kCategoryDomainAuthenticated = 2;
}  // namespace networks

struct NetworkInfo {
    std::wstring id;    // GetNetworkId, as braced GUID text
    std::wstring name;  // GetName
    std::int32_t category = networks::kCategoryPublic;
    bool connected = false;
};

class NetworkList {
public:
    virtual ~NetworkList() = default;
    // GetNetworks(NLM_ENUM_NETWORK_CONNECTED) or (NLM_ENUM_NETWORK_ALL).
    virtual HResult networks(bool connectedOnly, std::vector<NetworkInfo>& list) = 0;
    // INetwork::SetCategory on the network with this id: E_ACCESSDENIED for a process that is
    // not elevated; E_INVALIDARG for a category other than public or private (a network is
    // domain-authenticated only by joining a domain) and for an id of no network.
    virtual HResult setCategory(const std::wstring& id, std::int32_t category) = 0;
};

// The network list of the system this process runs on (see Platform.h).
NetworkList& networkList();

}  // namespace platform
