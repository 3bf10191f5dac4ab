#include "PcInventory.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <iostream>

#include "WmiConnection.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "platform/Wmi.h"

namespace pcinfo {

namespace {

constexpr char kUnknown[] = "unknown";
constexpr int kGiBShift = 30;

// Adapters whose description holds one of these are virtual and never shown.
const QStringList& virtualAdapterMarkers() {
    static const QStringList markers{QStringLiteral("Virtual"), QStringLiteral("VMware"),
                                     QStringLiteral("VirtualBox")};
    return markers;
}

void readText(const platform::WmiObject& object, const wchar_t* property, QString& field) {
    platform::WmiValue value;
    if (!platform::failed(object.get(property, value)) &&
        value.type == platform::WmiValue::Type::String)
        field = QString::fromStdWString(value.text);
}

void readInt(const platform::WmiObject& object, const wchar_t* property, int& field) {
    platform::WmiValue value;
    if (!platform::failed(object.get(property, value)) &&
        value.type == platform::WmiValue::Type::Int32)
        field = value.number;
}

void readGiB(const platform::WmiObject& object, const wchar_t* property, quint64& field) {
    QString text;
    readText(object, property, text);
    if (!text.isNull())
        field = wholeGiB(text);
}

void read(const platform::WmiObject& o, OperatingSystemRecord& r) {
    readText(o, L"Caption", r.caption);
    readText(o, L"BuildNumber", r.buildNumber);
    readText(o, L"Version", r.version);
    readText(o, L"InstallDate", r.installDate);
    readText(o, L"OSArchitecture", r.osArchitecture);
    readText(o, L"RegisteredUser", r.registeredUser);
    readText(o, L"SerialNumber", r.serialNumber);
}

void read(const platform::WmiObject& o, ProcessorRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"Description", r.description);
    readText(o, L"Manufacturer", r.manufacturer);
    readInt(o, L"NumberOfCores", r.numberOfCores);
    readInt(o, L"ThreadCount", r.threadCount);
    readText(o, L"ProcessId", r.processId);
    readInt(o, L"MaxClockSpeed", r.maxClockSpeed);
}

void read(const platform::WmiObject& o, BaseBoardRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"Manufacturer", r.manufacturer);
    readText(o, L"Product", r.product);
    readText(o, L"Version", r.version);
    readText(o, L"SerialNumber", r.serialNumber);
}

void read(const platform::WmiObject& o, VideoControllerRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"PNPDeviceID", r.pnpDeviceId);
}

void read(const platform::WmiObject& o, PhysicalMemoryRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"Manufacturer", r.manufacturer);
    readText(o, L"SerialNumber", r.serialNumber);
    readInt(o, L"Speed", r.speedMhz);
    readGiB(o, L"Capacity", r.capacityGiB);
}

void read(const platform::WmiObject& o, DiskDriveRecord& r) {
    readText(o, L"Caption", r.caption);
    readText(o, L"PNPDeviceID", r.pnpDeviceId);
    readText(o, L"SerialNumber", r.serialNumber);
    readGiB(o, L"Size", r.sizeGiB);
}

void read(const platform::WmiObject& o, DesktopMonitorRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"Description", r.description);
    readText(o, L"MonitorManufacturer", r.monitorManufacturer);
}

void read(const platform::WmiObject& o, SoundDeviceRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"Description", r.description);
}

void read(const platform::WmiObject& o, NetworkAdapterRecord& r) {
    readText(o, L"Name", r.name);
    readText(o, L"Description", r.description);
    readText(o, L"Manufacturer", r.manufacturer);
    readText(o, L"MACAddress", r.macAddress);
    readText(o, L"AdapterType", r.adapterType);
}

// Classes read as one record: every object is read into the same record, so the last wins.
template <typename Record>
void queryInto(WmiConnection& wmi, const QString& classText, Record& record) {
    const std::unique_ptr<platform::WmiEnumerator> objects = wmi.query(classText);
    std::unique_ptr<platform::WmiObject> object;
    while (objects && objects->next(object) == platform::kSOk && object)
        read(*object, record);
}

// Classes read as one record per object.
template <typename Record>
void queryInto(WmiConnection& wmi, const QString& classText, QVector<Record>& records) {
    const std::unique_ptr<platform::WmiEnumerator> objects = wmi.query(classText);
    std::unique_ptr<platform::WmiObject> object;
    while (objects && objects->next(object) == platform::kSOk && object) {
        Record record;
        read(*object, record);
        records.append(record);
    }
}

void readWmiClasses(platform::Wmi& connection, PcInventory& inventory) {
    WmiConnection wmi(connection);
    queryInto(wmi, QStringLiteral("Win32_OperatingSystem"), inventory.operatingSystem);
    queryInto(wmi, QStringLiteral("Win32_Processor"), inventory.processors);
    queryInto(wmi, QStringLiteral("Win32_BaseBoard"), inventory.baseBoard);
    queryInto(wmi, QStringLiteral("Win32_VideoController"), inventory.videoControllers);
    queryInto(wmi, QStringLiteral("Win32_PhysicalMemory"), inventory.memoryModules);
    queryInto(wmi, QStringLiteral("Win32_DiskDrive"), inventory.diskDrives);
    queryInto(wmi, QStringLiteral("Win32_DesktopMonitor"), inventory.monitors);
    queryInto(wmi, QStringLiteral("Win32_SoundDevice"), inventory.soundDevices);
    queryInto(wmi, QStringLiteral("Win32_NetworkAdapter WHERE Manufacturer!='Microsoft'"),
              inventory.networkAdapters);
}

// GetNativeSystemInfo names the machine's architecture also to a 32-bit program under WOW64, so
// this answers "is Windows 64-bit?" for a build of any width.
bool windowsIs64Bit(const platform::SystemInfo& system) {
    using Arch = platform::ProcessorArchitecture;
    const Arch arch = system.nativeArchitecture();
    return system.isWow64() || arch == Arch::Amd64 || arch == Arch::Arm64 || arch == Arch::Ia64;
}

template <typename Record, typename Field>
QString firstOrUnknown(const QVector<Record>& records, Field field) {
    return records.isEmpty() ? QString::fromLatin1(kUnknown) : records.first().*field;
}

QString memoryText(const QVector<PhysicalMemoryRecord>& modules) {
    if (modules.isEmpty())
        return QString::fromLatin1(kUnknown);
    const PhysicalMemoryRecord& first = modules.first();
    return QStringLiteral("%1GB(%2 %3MHz)")
        .arg(QString::number(first.capacityGiB), first.manufacturer,
             QString::number(first.speedMhz));
}

bool isVirtualAdapter(const NetworkAdapterRecord& adapter) {
    for (const QString& marker : virtualAdapterMarkers()) {
        if (adapter.description.contains(marker, Qt::CaseSensitive))
            return true;
    }
    return false;
}

void insertNetworkAdapter(const QVector<NetworkAdapterRecord>& adapters, QJsonObject& json) {
    if (adapters.isEmpty()) {
        json.insert(QStringLiteral("networkAdapter"), QString::fromLatin1(kUnknown));
        return;
    }
    for (const NetworkAdapterRecord& adapter : adapters) {
        if (!isVirtualAdapter(adapter)) {
            json.insert(QStringLiteral("networkAdapter"), adapter.name);
            return;
        }
    }
}

}  // namespace

quint64 wholeGiB(const QString& bytesText) {
    bool ok = false;
    const quint64 bytes = bytesText.trimmed().toULongLong(&ok, 10);
    return ok ? bytes >> kGiBShift : 0;
}

PcInventory readPcInventory(platform::Wmi& wmi, const platform::SystemInfo& system) {
    PcInventory inventory;
    inventory.host = QString::fromStdWString(system.computerName());
    inventory.windows64Bit = windowsIs64Bit(system);
    try {
        readWmiClasses(wmi, inventory);
    } catch (const WMICException& error) {
        std::cout << error.what() << std::endl;
    }
    return inventory;
}

QString pcInfoJson(const PcInventory& inventory) {
    QJsonObject json;
    json.insert(QStringLiteral("host"), inventory.host);
    json.insert(QStringLiteral("bit"), inventory.windows64Bit ? 64 : 32);
    json.insert(QStringLiteral("system"), inventory.operatingSystem.caption);
    json.insert(QStringLiteral("cpu"),
                firstOrUnknown(inventory.processors, &ProcessorRecord::name));
    json.insert(QStringLiteral("baseboard"),
                inventory.baseBoard.manufacturer + QLatin1Char(' ') + inventory.baseBoard.product);
    json.insert(QStringLiteral("videoController"),
                firstOrUnknown(inventory.videoControllers, &VideoControllerRecord::name));
    json.insert(QStringLiteral("physicalMemory"), memoryText(inventory.memoryModules));
    json.insert(QStringLiteral("diskDrive"),
                firstOrUnknown(inventory.diskDrives, &DiskDriveRecord::caption));
    json.insert(QStringLiteral("monitor"),
                firstOrUnknown(inventory.monitors, &DesktopMonitorRecord::name));
    json.insert(QStringLiteral("audioCard"),
                firstOrUnknown(inventory.soundDevices, &SoundDeviceRecord::name));
    insertNetworkAdapter(inventory.networkAdapters, json);
    return QString::fromUtf8(QJsonDocument(json).toJson());
}

QString buildPcInfo() {
    return pcInfoJson(readPcInventory(platform::wmi(), platform::systemInfo()));
}

}  // namespace pcinfo
