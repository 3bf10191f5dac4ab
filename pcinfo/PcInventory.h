#pragma once

#include <QString>
#include <QVector>

namespace platform {
class SystemInfo;
class Wmi;
}  // namespace platform

namespace pcinfo {

// What the inventory reads of each WMI class. Properties keep their previous value (empty or 0)
// when a read fails or the value has another type. Only some of them reach the page.
struct OperatingSystemRecord {
    QString caption, buildNumber, version, installDate, osArchitecture, registeredUser,
        serialNumber;
};
struct ProcessorRecord {
    QString name, description, manufacturer;
    int numberOfCores = 0, threadCount = 0;
    QString processId;
    int maxClockSpeed = 0;
};
struct BaseBoardRecord {
    QString name, manufacturer, product, version, serialNumber;
};
struct VideoControllerRecord {
    QString name, pnpDeviceId;
};
struct PhysicalMemoryRecord {
    QString name, manufacturer, serialNumber;
    int speedMhz = 0;
    quint64 capacityGiB = 0;
};
struct DiskDriveRecord {
    QString caption, pnpDeviceId, serialNumber;
    quint64 sizeGiB = 0;
};
struct DesktopMonitorRecord {
    QString name, description, monitorManufacturer;
};
struct SoundDeviceRecord {
    QString name, description;
};
struct NetworkAdapterRecord {
    QString name, description, manufacturer, macAddress, adapterType;
};

struct PcInventory {
    QString host;
    bool windows64Bit = false;
    OperatingSystemRecord operatingSystem;
    QVector<ProcessorRecord> processors;
    BaseBoardRecord baseBoard;
    QVector<VideoControllerRecord> videoControllers;
    QVector<PhysicalMemoryRecord> memoryModules;
    QVector<DiskDriveRecord> diskDrives;
    QVector<DesktopMonitorRecord> monitors;
    QVector<SoundDeviceRecord> soundDevices;
    QVector<NetworkAdapterRecord> networkAdapters;
};

// Reads the inventory of this PC through WMI. WMI failures end the reading early and are
// written to standard output; what was read until then is kept.
PcInventory readPcInventory(platform::Wmi& wmi, const platform::SystemInfo& system);

// The page's JSON text (indented, keys sorted) for an inventory.
QString pcInfoJson(const PcInventory& inventory);

// The JSON text of this PC's inventory: the job of the "startGetPcinfo" worker.
QString buildPcInfo();

// A WMI size in bytes, given as a decimal text, in whole GiB (rounded down); 0 when the text is
// not a number.
quint64 wholeGiB(const QString& bytesText);

}  // namespace pcinfo
