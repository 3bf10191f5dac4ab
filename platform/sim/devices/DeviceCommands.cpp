#include "DeviceCommands.h"

#include "DeviceDocument.h"
#include "platform/sim/core/SimulatedPc.h"

namespace platform::sim::devices {

namespace {

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

void printDevices(const DeviceList& list, QTextStream& out) {
    for (const SimDevice& device : list.devices) {
        out << device.instanceId << "  " << (device.present ? "present" : "absent") << "  "
            << orDash(device.setupClass) << "  " << orDash(device.service) << '\n';
    }
}

int listDevices(SimulatedPc& pc, ProgramIo io) {
    QJsonObject document;
    QString error;
    DeviceList list;
    if (!pc.machine().store().read(QLatin1String(kDevicesFacility), document, error) ||
        !readDeviceDocument(document, list, error))
        return toolFailure(io, error);
    printDevices(list, io.out);
    return 0;
}

// What a plug or unplug did, for the line the tool prints.
struct PlugResult {
    QString error;       // a refusal: unknown ID, parent absent
    QString instanceId;  // as the PC spells it
    int changed = 0;     // devices that came or went
};

// The device leaves, and with it every present device below it; each remembers that it left
// with this one, so that plugging it in again brings back exactly those.
bool unplug(DeviceList& list, std::size_t index, PlugResult& result) {
    const QString& id = list.devices[index].instanceId;
    for (std::size_t member : list.subtree(index)) {
        SimDevice& device = list.devices[member];
        if (!device.present)
            continue;
        device.present = false;
        device.absentWith = member == index ? QString() : id;
        ++result.changed;
    }
    return result.changed > 0;
}

bool plug(DeviceList& list, std::size_t index, PlugResult& result) {
    SimDevice& root = list.devices[index];
    if (!root.parent.isEmpty()) {
        const auto parent = list.find(root.parent);
        if (parent && !list.devices[*parent].present) {
            result.error = QStringLiteral("%1 cannot come back while its parent %2 is absent")
                               .arg(root.instanceId, list.devices[*parent].instanceId);
            return false;
        }
    }
    if (root.present)
        return false;
    const QString id = root.instanceId;
    for (std::size_t member : list.subtree(index)) {
        SimDevice& device = list.devices[member];
        if (member == index || device.absentWith.compare(id, Qt::CaseInsensitive) == 0) {
            device.present = true;
            device.absentWith.clear();
            ++result.changed;
        }
    }
    return true;
}

int changePresence(SimulatedPc& pc, const QString& instanceId, bool present, ProgramIo io) {
    PlugResult result;
    bool known = false;
    QString error;
    const bool saved = pc.machine().store().update(
        QLatin1String(kDevicesFacility),
        [&](QJsonObject& document) {
            DeviceList list;
            if (!readDeviceDocument(document, list, result.error))
                return false;
            const auto index = list.find(instanceId);
            if (!index)
                return false;
            known = true;
            result.instanceId = list.devices[*index].instanceId;
            const bool changed =
                present ? plug(list, *index, result) : unplug(list, *index, result);
            if (changed)
                writeDeviceDocument(list, document);
            return changed;
        },
        error);
    if (!saved)
        return toolFailure(io, error);
    if (!result.error.isEmpty())
        return toolFailure(io, result.error);
    if (!known)
        return toolFailure(io, QStringLiteral("no device has the instance ID %1").arg(instanceId));
    if (result.changed == 0) {
        io.out << result.instanceId << " is already " << (present ? "present" : "absent") << '\n';
        return 0;
    }
    io.out << (present ? "plugged in " : "unplugged ") << result.instanceId;
    if (result.changed > 1)
        io.out << " with " << (result.changed - 1) << " device(s) below it";
    io.out << '\n';
    return 0;
}

}  // namespace

int runDeviceVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    if (action == QLatin1String("list") && arguments.size() == 1)
        return listDevices(pc, io);
    if ((action == QLatin1String("unplug") || action == QLatin1String("plug")) &&
        arguments.size() == 2)
        return changePresence(pc, arguments.at(1), action == QLatin1String("plug"), io);
    return toolFailure(io, QStringLiteral("usage: device list | device unplug INSTANCE-ID | "
                                          "device plug INSTANCE-ID"));
}

bool showDevices(const QJsonObject& document, QTextStream& out, QString& error) {
    DeviceList list;
    if (!readDeviceDocument(document, list, error))
        return false;
    printDevices(list, out);
    return true;
}

}  // namespace platform::sim::devices
