#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "platform/sim/core/Profile.h"

namespace platform::sim::devices {

constexpr const char* kDevicesFacility = "devices";

// One device node of the simulated PC's device tree, as the "devices" document keeps it.
struct SimDevice {
    QString instanceId;
    QString parent;  // the parent's instance ID; empty for the root of the tree
    QString setupClass;
    QString classGuid;  // braced; empty when the device has no class
    QString service;
    QString driver;
    QString name;  // DEVPKEY_NAME when it differs from the friendly name or description
    QString description;
    QString friendlyName;
    QString manufacturer;
    QString busReportedDescription;
    QString driverDescription;
    QString driverProvider;
    QString location;
    QStringList hardwareIds;
    QStringList compatibleIds;
    QString containerId;
    std::optional<quint32> problem;  // absent: the device reports none
    quint32 status = 0;
    bool present = true;
    // Set on a device that left with the device of that instance ID; it comes back with it.
    QString absentWith;
    QStringList interfaces;  // interface class GUIDs, braced

    // DEVPKEY_NAME as Windows derives it: friendly name, else description.
    QString displayName() const;
    // The bus enumerator: the instance ID's first part ("USB" of "USB\VID_...").
    QString enumerator() const;
};

struct DeviceList {
    std::vector<SimDevice> devices;

    // Index of the device with that instance ID (ignoring case, as Windows compares them).
    std::optional<std::size_t> find(const QString& instanceId) const;
    // The device and every device below it, the device first, then depth-first.
    std::vector<std::size_t> subtree(std::size_t index) const;
};

// The class GUID Windows gives a setup class name ("Printer" -> {4D36E979-...}); empty for a
// name this table does not know.
QString classGuidOf(const QString& setupClass);

// The node status of a started device that has no problem (DN_DRIVER_LOADED | DN_STARTED |
// DN_DISABLEABLE | DN_NT_ENUMERATOR | DN_NT_DRIVER), and the problem bit.
constexpr quint32 kStatusStarted = 0x0180200A;
constexpr quint32 kStatusHasProblem = 0x00000400;

bool readDeviceDocument(const QJsonObject& document, DeviceList& list, QString& error);
void writeDeviceDocument(const DeviceList& list, QJsonObject& document);

// The profile section "devices": the PC's device nodes in enumeration order.
//
//   "devices": [{"instanceId": "USB\\VID_03F0&PID_1853\\CN5C13J0B2", "parent": "...",
//                "class": "USB", "service": "usbprint", "description": "USB Printing Support",
//                "manufacturer": "...", "hardwareIds": ["USB\\VID_03F0&PID_1853&REV_0100"],
//                "compatibleIds": [...], "containerId": "{...}", "problem": 0,
//                "present": true, "interfaces": ["{A5DCBF10-6530-11D2-901F-00C04FB951ED}"]}]
//
// "classGuid" defaults to the class name's GUID, "status" to a started device's (with the
// problem bit when "problem" is not 0); "problem" left out means the device reports none.
ProfileSection devicesProfileSection();

}  // namespace platform::sim::devices
