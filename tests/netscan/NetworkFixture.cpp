#include "NetworkFixture.h"

#include <QDebug>

#include "PcFolder.h"
#include "platform/sim/core/SimulatedPc.h"

namespace netscantest {

QJsonObject adapter(int index, const QString& address, const QString& mask, const QString& gateway,
                    const QString& status, const QString& description) {
    QJsonArray addresses;
    if (!address.isEmpty())
        addresses.append(QJsonObject{{"address", address}, {"mask", mask}});
    return QJsonObject{{"index", index},
                       {"description", description},
                       {"status", status},
                       {"addresses", addresses},
                       {"gateway", gateway}};
}

QJsonObject arpRow(int index, const QString& address, const QString& mac, const QString& type) {
    return QJsonObject{{"index", index}, {"address", address}, {"mac", mac}, {"type", type}};
}

bool setNetwork(const QJsonArray& adapters, const QJsonArray& arp) {
    platform::sim::SimulatedPc& pc = fixtureAsProcessPc(QStringLiteral("bare-pc"));
    QString error;
    const bool written = pc.machine().store().write(
        QStringLiteral("iphelper"),
        QJsonObject{{"source", "profile"}, {"adapters", adapters}, {"arp", arp}}, error);
    if (!written)
        qWarning() << "cannot set the network:" << error;
    return written;
}

}  // namespace netscantest
