#include "platform/posix/HostHardware.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace platform::posix {

namespace {

constexpr qint64 kSectorBytes = 512;
constexpr qint64 kKibibyte = 1024;

class HostReader {
public:
    explicit HostReader(const QString& root) : m_root(QDir(root)) {}

    QString text(const QString& path) const {
        QFile file(m_root.filePath(path.mid(1)));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(file.readAll()).trimmed();
    }
    QStringList entries(const QString& folder) const {
        return QDir(m_root.filePath(folder.mid(1)))
            .entryList(QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    bool exists(const QString& path) const {
        return QFileInfo::exists(m_root.filePath(path.mid(1)));
    }

private:
    QDir m_root;
};

WmiValue str(const QString& text) {
    return WmiValue::string(text.toStdWString());
}

// "key : value" lines of /proc/cpuinfo, one map per processor.
QList<QMap<QString, QString>> cpuinfoBlocks(const QString& cpuinfo) {
    QList<QMap<QString, QString>> blocks;
    QMap<QString, QString> block;
    for (const QString& line : cpuinfo.split(QLatin1Char('\n'))) {
        const int colon = line.indexOf(QLatin1Char(':'));
        if (line.trimmed().isEmpty() || colon < 0) {
            if (!block.isEmpty())
                blocks.append(block);
            block.clear();
            continue;
        }
        block.insert(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    if (!block.isEmpty())
        blocks.append(block);
    return blocks;
}

std::vector<WmiProperties> processors(const HostReader& host) {
    const auto blocks = cpuinfoBlocks(host.text(QStringLiteral("/proc/cpuinfo")));
    if (blocks.isEmpty())
        return {};
    const QMap<QString, QString>& first = blocks.first();
    const QString maxKhz =
        host.text(QStringLiteral("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"));
    const int mhz = maxKhz.isEmpty()
                        ? static_cast<int>(first.value(QStringLiteral("cpu MHz")).toDouble())
                        : maxKhz.toInt() / 1000;
    WmiProperties cpu;
    cpu[L"Name"] = str(first.value(QStringLiteral("model name")));
    cpu[L"Description"] = str(QStringLiteral("Family %1 Model %2 Stepping %3")
                                  .arg(first.value(QStringLiteral("cpu family")),
                                       first.value(QStringLiteral("model")),
                                       first.value(QStringLiteral("stepping"))));
    cpu[L"Manufacturer"] = str(first.value(QStringLiteral("vendor_id")));
    cpu[L"NumberOfCores"] =
        WmiValue::int32(first.value(QStringLiteral("cpu cores"), QStringLiteral("1")).toInt());
    cpu[L"ThreadCount"] = WmiValue::int32(blocks.size());
    cpu[L"MaxClockSpeed"] = WmiValue::int32(mhz);
    return {cpu};
}

std::vector<WmiProperties> baseBoards(const HostReader& host) {
    const QString dmi = QStringLiteral("/sys/class/dmi/id/");
    if (!host.exists(dmi))
        return {};
    WmiProperties board;
    board[L"Name"] = str(QStringLiteral("Base Board"));
    board[L"Manufacturer"] = str(host.text(dmi + QStringLiteral("board_vendor")));
    board[L"Product"] = str(host.text(dmi + QStringLiteral("board_name")));
    board[L"Version"] = str(host.text(dmi + QStringLiteral("board_version")));
    board[L"SerialNumber"] = str(host.text(dmi + QStringLiteral("board_serial")));
    return {board};
}

// PCI devices of one class (the first byte of their class code), as Windows names them when it
// has no driver name: the PNP id and a name built from vendor and device.
std::vector<WmiProperties> pciDevices(const HostReader& host, const QString& classPrefix,
                                      const QString& kind) {
    std::vector<WmiProperties> devices;
    const QString folder = QStringLiteral("/sys/bus/pci/devices/");
    for (const QString& device : host.entries(folder)) {
        if (!host.text(folder + device + QStringLiteral("/class")).startsWith(classPrefix))
            continue;
        const QString vendor =
            host.text(folder + device + QStringLiteral("/vendor")).mid(2).toUpper();
        const QString id = host.text(folder + device + QStringLiteral("/device")).mid(2).toUpper();
        WmiProperties properties;
        properties[L"Name"] = str(QStringLiteral("%1 (VEN_%2 DEV_%3)").arg(kind, vendor, id));
        properties[L"Description"] = properties[L"Name"];
        properties[L"PNPDeviceID"] = str(QStringLiteral("PCI\\VEN_%1&DEV_%2").arg(vendor, id));
        devices.push_back(properties);
    }
    return devices;
}

std::vector<WmiProperties> memory(const HostReader& host) {
    static const QRegularExpression total(QStringLiteral(R"(MemTotal:\s+(\d+)\s+kB)"));
    const QRegularExpressionMatch match = total.match(host.text(QStringLiteral("/proc/meminfo")));
    if (!match.hasMatch())
        return {};
    WmiProperties module;
    module[L"Name"] = str(QStringLiteral("Physical Memory"));
    module[L"Manufacturer"] = str(QString());
    module[L"Capacity"] = str(QString::number(match.captured(1).toLongLong() * kKibibyte));
    module[L"Speed"] = WmiValue::int32(0);
    return {module};
}

bool isPhysicalDisk(const QString& name) {
    static const QRegularExpression virtualDisk(QStringLiteral("^(loop|ram|zram|dm-|md|sr)"));
    return !virtualDisk.match(name).hasMatch();
}

std::vector<WmiProperties> diskDrives(const HostReader& host) {
    std::vector<WmiProperties> disks;
    for (const QString& name : host.entries(QStringLiteral("/sys/block/"))) {
        if (!isPhysicalDisk(name))
            continue;
        const QString folder = QStringLiteral("/sys/block/") + name;
        QString model = host.text(folder + QStringLiteral("/device/model"));
        if (model.isEmpty())
            model = name;
        WmiProperties disk;
        disk[L"Caption"] = str(model);
        disk[L"PNPDeviceID"] = str(QStringLiteral("SCSI\\DISK&%1").arg(name.toUpper()));
        disk[L"SerialNumber"] = str(host.text(folder + QStringLiteral("/device/serial")));
        disk[L"Size"] = str(QString::number(
            host.text(folder + QStringLiteral("/size")).toLongLong() * kSectorBytes));
        disks.push_back(disk);
    }
    return disks;
}

std::vector<WmiProperties> monitors(const HostReader& host) {
    std::vector<WmiProperties> found;
    for (const QString& connector : host.entries(QStringLiteral("/sys/class/drm/"))) {
        if (host.text(QStringLiteral("/sys/class/drm/") + connector + QStringLiteral("/status")) !=
            QLatin1String("connected"))
            continue;
        WmiProperties monitor;
        monitor[L"Name"] = str(QStringLiteral("Generic PnP Monitor"));
        monitor[L"Description"] = monitor[L"Name"];
        monitor[L"MonitorManufacturer"] = str(QString());
        found.push_back(monitor);
    }
    return found;
}

std::vector<WmiProperties> soundDevices(const HostReader& host) {
    // Lines like " 0 [PCH            ]: HDA-Intel - HDA Intel PCH".
    static const QRegularExpression card(
        QStringLiteral(R"(^\s*\d+\s+\[[^\]]*\]:\s*\S+\s+-\s+(.+)$)"));
    std::vector<WmiProperties> cards;
    for (const QString& line :
         host.text(QStringLiteral("/proc/asound/cards")).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = card.match(line);
        if (!match.hasMatch())
            continue;
        WmiProperties sound;
        sound[L"Name"] = str(match.captured(1).trimmed());
        sound[L"Description"] = sound[L"Name"];
        cards.push_back(sound);
    }
    return cards;
}

// Interfaces without a device behind them (bridges, veth pairs, tunnels) are virtual; their
// description says so, as Windows's virtual adapters' descriptions do.
std::vector<WmiProperties> networkAdapters(const HostReader& host) {
    std::vector<WmiProperties> adapters;
    for (const QString& name : host.entries(QStringLiteral("/sys/class/net/"))) {
        if (name == QLatin1String("lo"))
            continue;
        const QString folder = QStringLiteral("/sys/class/net/") + name;
        const bool physical = host.exists(folder + QStringLiteral("/device"));
        const QString vendor =
            host.text(folder + QStringLiteral("/device/vendor")).mid(2).toUpper();
        WmiProperties adapter;
        adapter[L"Name"] = str(name);
        adapter[L"Description"] =
            str(physical ? QStringLiteral("Network adapter %1").arg(name)
                         : QStringLiteral("Virtual network adapter %1").arg(name));
        adapter[L"Manufacturer"] =
            str(vendor.isEmpty() ? QStringLiteral("Linux") : QStringLiteral("VEN_") + vendor);
        adapter[L"MACAddress"] = str(host.text(folder + QStringLiteral("/address")).toUpper());
        adapter[L"AdapterType"] = str(QStringLiteral("Ethernet 802.3"));
        adapters.push_back(adapter);
    }
    return adapters;
}

}  // namespace

WmiClasses readHostHardware(const QString& root) {
    const HostReader host(root);
    WmiClasses classes;
    classes[L"win32_processor"] = processors(host);
    classes[L"win32_baseboard"] = baseBoards(host);
    classes[L"win32_videocontroller"] =
        pciDevices(host, QStringLiteral("0x03"), QStringLiteral("Display adapter"));
    classes[L"win32_physicalmemory"] = memory(host);
    classes[L"win32_diskdrive"] = diskDrives(host);
    classes[L"win32_desktopmonitor"] = monitors(host);
    classes[L"win32_sounddevice"] = soundDevices(host);
    classes[L"win32_networkadapter"] = networkAdapters(host);
    return classes;
}

}  // namespace platform::posix
