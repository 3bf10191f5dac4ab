#pragma once

#include <QStringList>

#include "platform/sim/core/Facility.h"

namespace platform::sim::devices {

// corvanta-sim device list | unplug INSTANCE-ID | plug INSTANCE-ID.
int runDeviceVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);

// The "devices" document in words: one device per line, as `device list` prints it.
bool showDevices(const QJsonObject& document, QTextStream& out, QString& error);

}  // namespace platform::sim::devices
