#pragma once

#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

#include "platform/NetworkList.h"

namespace platform::sim {

class StateStore;

namespace netlist {

constexpr const char* kNetListFacility = "netlist";

// The "networks" profile section, kept in the "netlist" document under "networks":
//
//   "networks": [
//       {"name": "Network", "category": "public", "connected": true,      // connected: optional,
//        "id": "{5c1d1f0e-...}"}                                          // default true; id:
//   ]                                                                     // optional
//
// Categories are public, private or domain. Names are unique without regard to case; a network
// without an id gets one made from its name.
struct Network {
    QString id;
    QString name;
    std::int32_t category = platform::networks::kCategoryPublic;
    bool connected = true;
};

bool readNetworks(const QJsonValue& list, const QString& path, std::vector<Network>& networks,
                  QString& error);
bool readNetListDocument(const QJsonObject& document, std::vector<Network>& networks,
                         QString& error);
QJsonObject netListDocument(const std::vector<Network>& networks);
Network* findNetwork(std::vector<Network>& networks, const QString& name);
// "public", "private", "domain"; -1 for another word.
std::int32_t categoryByName(const QString& name);
QString categoryName(std::int32_t category);
// The id a network named `name` gets when the profile gives none.
QString networkIdFor(const QString& name);

std::unique_ptr<NetworkList> makeSimNetworkList(StateStore& store, bool elevated);

}  // namespace netlist
}  // namespace platform::sim
