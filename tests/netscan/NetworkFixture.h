#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// The process's simulated PC (the bare fixture) with the adapters and ARP rows a test sets.
namespace netscantest {

QJsonObject adapter(int index, const QString& address, const QString& mask,
                    const QString& gateway = QStringLiteral("0.0.0.0"),
                    const QString& status = QStringLiteral("operational"),
                    const QString& description = QStringLiteral("Intel(R) Ethernet"));
QJsonObject arpRow(int index, const QString& address,
                   const QString& mac = QStringLiteral("00-11-22-33-44-55"),
                   const QString& type = QStringLiteral("dynamic"));
// Replaces the PC's network; QFAILs are the caller's (answers false with the reason logged).
bool setNetwork(const QJsonArray& adapters, const QJsonArray& arp);

}  // namespace netscantest
