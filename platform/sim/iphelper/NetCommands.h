#pragma once

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include "platform/sim/core/Facility.h"

namespace platform::sim::iphelper {

// corvanta-sim net show | adapter add|remove | arp add|clear | source host|profile.
int runNetVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

// `corvanta-sim show iphelper` and `net show`: the adapters and ARP rows the PC reports now.
bool showNetwork(const QJsonObject& document, QTextStream& out, QString& error);

}  // namespace platform::sim::iphelper
