#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

#include "platform/NetworkConfig.h"

namespace platform::sim::netcfg {

constexpr const char* kNetCfgFacility = "netcfg";

// The PC's network components and the configuration's write lock. The "netcfg" profile
// section:
//
//   "netcfg": {
//       "components": [
//           {"id": "ms_tcpip", "name": "Internet Protocol Version 4 (TCP/IPv4)",
//            "class": "protocol"},                   // adapter, protocol, service, client
//           {"id": "pci\\ven_8086&dev_15bc", "name": "Intel(R) Ethernet Connection (11) I219-V",
//            "class": "adapter", "status": 22}       // optional CM_PROB_* code, 0 working
//       ],
//       "lock": {"holder": "Network Setup", "seconds": 8}   // optional: another program holds
//   }                                                        // the write lock that long
//
// The document keeps the lock as {"holder", "until" (ms since the epoch, 0 for no end),
// "owner" (the session holding it, empty for another program)}.
struct WriteLock {
    QString holder;
    qint64 until = 0;
    QString owner;
};

struct NetCfgState {
    std::vector<NetComponent> components;
    bool locked = false;
    WriteLock lock;

    bool isLockedAt(qint64 nowMs) const {
        return locked && (lock.until == 0 || lock.until > nowMs);
    }
    bool has(const std::wstring& id) const;
};

// A profile section (`profile` true: the lock in seconds from now) or a state document.
bool readNetCfgState(const QJsonObject& object, const QString& path, bool profile,
                     NetCfgState& state, QString& error);
QJsonObject netCfgStateJson(const NetCfgState& state);
QString componentClassName(platform::netcfg::ComponentClass componentClass);

// The protocols whose driver packages every Windows PC has, by id, with their display names.
QString installableProtocolName(const QString& id);

}  // namespace platform::sim::netcfg
