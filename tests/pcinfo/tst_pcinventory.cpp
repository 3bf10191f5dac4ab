#include <QtTest>
#include <iostream>
#include <sstream>

#include "TestMain.h"

#include "pcinfo/PcInventory.h"
#include "platform/SystemInfo.h"
#include "platform/posix/HostHardware.h"
#include "platform/sim/wmi/SimWmi.h"

using platform::WmiValue;
using platform::sim::WmiModel;
using platform::sim::WmiProperties;

namespace {

class FixedSystem : public platform::SystemInfo {
public:
    bool wow64 = true;
    platform::ProcessorArchitecture arch = platform::ProcessorArchitecture::Amd64;

    platform::WindowsVersion version() const override { return {10, 0, 19045, 0, 0}; }
    platform::ProcessorArchitecture nativeArchitecture() const override { return arch; }
    std::wstring computerName() const override { return L"DESKTOP-TEST"; }
    std::wstring userName() const override { return L"user"; }
    bool isWow64() const override { return wow64; }
    std::wstring tempFolder() const override { return L"C:\\Temp\\"; }
    std::wstring knownFolder(platform::KnownFolder) const override { return {}; }
    std::uint16_t userDefaultUiLanguage() const override { return 0x0804; }
};

WmiValue s(const char* text) {
    return WmiValue::string(QString::fromUtf8(text).toStdWString());
}

WmiProperties memoryModule(const char* capacity, const char* maker, int speed) {
    return {{L"Capacity", s(capacity)},
            {L"Manufacturer", s(maker)},
            {L"Speed", WmiValue::int32(speed)}};
}

WmiProperties adapter(const char* name, const char* description) {
    return {{L"Name", s(name)}, {L"Description", s(description)}, {L"Manufacturer", s("Intel")}};
}

// A desktop PC as WMI describes it.
WmiModel desktop() {
    WmiModel model;
    model.classes[L"win32_operatingsystem"] = {{{L"Caption", s("Microsoft Windows 10 Pro")}}};
    model.classes[L"win32_processor"] = {{{L"Name", s("Intel(R) Core(TM) i5-9400 CPU @ 2.90GHz")},
                                          {L"NumberOfCores", WmiValue::int32(6)}}};
    model.classes[L"win32_baseboard"] = {
        {{L"Manufacturer", s("ASUSTeK")}, {L"Product", s("PRIME B365M-A")}}};
    model.classes[L"win32_videocontroller"] = {{{L"Name", s("Intel(R) UHD Graphics 630")}}};
    model.classes[L"win32_physicalmemory"] = {memoryModule("8589934592", "Kingston", 2667),
                                              memoryModule("8589934592", "Kingston", 2667)};
    model.classes[L"win32_diskdrive"] = {{{L"Caption", s("Samsung SSD 860 EVO 500GB")}}};
    model.classes[L"win32_desktopmonitor"] = {{{L"Name", s("通用非即插即用监视器")}}};
    model.classes[L"win32_sounddevice"] = {{{L"Name", s("Realtek High Definition Audio")}}};
    model.classes[L"win32_networkadapter"] = {
        adapter("Intel(R) Ethernet Connection I219-V", "Intel(R) Ethernet")};
    return model;
}

QString jsonFor(const WmiModel& model, const FixedSystem& system = FixedSystem()) {
    const auto wmi = platform::sim::makeSimWmi([model] { return model; });
    return pcinfo::pcInfoJson(pcinfo::readPcInventory(*wmi, system));
}

QJsonObject objectFor(const WmiModel& model) {
    return QJsonDocument::fromJson(jsonFor(model).toUtf8()).object();
}

}  // namespace

class PcInventoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void win10ProfileJsonText();
    void desktopJsonText();
    void memoryFromFirstModuleOnly_data();
    void memoryFromFirstModuleOnly();
    void networkAdapterChoice_data();
    void networkAdapterChoice();
    void unreachableWmiGivesDefaults_data();
    void unreachableWmiGivesDefaults();
    void connectionDiagnosticsInOrder_data();
    void connectionDiagnosticsInOrder();
    void bitFollowsWindows();
    void wrongVariantTypeIsIgnored();
    void hostHardwareFromFixture();

private:
    QTemporaryDir m_machine;
};

void PcInventoryTest::initTestCase() {
    QVERIFY(m_machine.isValid());
    qputenv("CORVANTA_MACHINE", m_machine.filePath("pc").toUtf8());
}

// The whole path a page's request takes: the default profile's WMI objects, read through the
// simulated PC's WMI, into the page's text.
void PcInventoryTest::win10ProfileJsonText() {
    const QString expected = QString::fromUtf8(
        "{\n"
        "    \"audioCard\": \"Realtek High Definition Audio\",\n"
        "    \"baseboard\": \"ASUSTeK COMPUTER INC. PRIME B460M-A\",\n"
        "    \"bit\": 64,\n"
        "    \"cpu\": \"Intel(R) Core(TM) i5-10400 CPU @ 2.90GHz\",\n"
        "    \"diskDrive\": \"Samsung SSD 860 EVO 500GB\",\n"
        "    \"host\": \"DESKTOP-4K7QW2M\",\n"
        "    \"monitor\": \"Generic PnP Monitor\",\n"
        "    \"networkAdapter\": \"Intel(R) Ethernet Connection (11) I219-V\",\n"
        "    \"physicalMemory\": \"8GB(Kingston 2666MHz)\",\n"
        "    \"system\": \"Microsoft Windows 10 Pro\",\n"
        "    \"videoController\": \"Intel(R) UHD Graphics 630\"\n"
        "}\n");
    QCOMPARE(pcinfo::buildPcInfo(), expected);
}

void PcInventoryTest::desktopJsonText() {
    const QString expected = QString::fromUtf8(
        "{\n"
        "    \"audioCard\": \"Realtek High Definition Audio\",\n"
        "    \"baseboard\": \"ASUSTeK PRIME B365M-A\",\n"
        "    \"bit\": 64,\n"
        "    \"cpu\": \"Intel(R) Core(TM) i5-9400 CPU @ 2.90GHz\",\n"
        "    \"diskDrive\": \"Samsung SSD 860 EVO 500GB\",\n"
        "    \"host\": \"DESKTOP-TEST\",\n"
        "    \"monitor\": \"通用非即插即用监视器\",\n"
        "    \"networkAdapter\": \"Intel(R) Ethernet Connection I219-V\",\n"
        "    \"physicalMemory\": \"8GB(Kingston 2667MHz)\",\n"
        "    \"system\": \"Microsoft Windows 10 Pro\",\n"
        "    \"videoController\": \"Intel(R) UHD Graphics 630\"\n"
        "}\n");
    QCOMPARE(jsonFor(desktop()), expected);
}

void PcInventoryTest::memoryFromFirstModuleOnly_data() {
    QTest::addColumn<QString>("capacity");
    QTest::addColumn<QString>("expected");
    QTest::newRow("4 GiB exactly") << "4294967296"
                                   << "4GB(M 2400MHz)";
    QTest::newRow("one byte less") << "4294967295"
                                   << "3GB(M 2400MHz)";
    QTest::newRow("64 GiB, beyond 32 bits") << "68719476736"
                                            << "64GB(M 2400MHz)";
    QTest::newRow("not a number") << "lots"
                                  << "0GB(M 2400MHz)";
}

void PcInventoryTest::memoryFromFirstModuleOnly() {
    QFETCH(QString, capacity);
    QFETCH(QString, expected);
    WmiModel model = desktop();
    model.classes[L"win32_physicalmemory"] = {memoryModule(capacity.toUtf8(), "M", 2400),
                                              memoryModule("8589934592", "Other", 3200)};
    QCOMPARE(objectFor(model).value("physicalMemory").toString(), expected);
}

void PcInventoryTest::networkAdapterChoice_data() {
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QString>("expected");  // "-" means the key is absent
    QTest::newRow("none from a maker other than Microsoft") << QStringList() << "unknown";
    QTest::newRow("only virtual ones")
        << QStringList{"VMware Virtual Ethernet", "VirtualBox Host-Only"} << "-";
    QTest::newRow("second is real")
        << QStringList{"Hyper-V Virtual Ethernet", "Realtek PCIe GbE"} << "adapter1";
    QTest::newRow("case matters") << QStringList{"virtual-ish adapter"} << "adapter0";
}

void PcInventoryTest::networkAdapterChoice() {
    QFETCH(QStringList, descriptions);
    QFETCH(QString, expected);
    WmiModel model = desktop();
    auto& adapters = model.classes[L"win32_networkadapter"];
    adapters.clear();
    for (int i = 0; i < descriptions.size(); ++i)
        adapters.push_back(
            adapter(QByteArray("adapter") + QByteArray::number(i), descriptions[i].toUtf8()));
    // Microsoft's adapters never reach the inventory: the query leaves them out.
    adapters.push_back({{L"Name", s("WAN Miniport")},
                        {L"Description", s("WAN")},
                        {L"Manufacturer", s("Microsoft")}});
    const QJsonObject json = objectFor(model);
    if (expected == "-")
        QVERIFY(!json.contains("networkAdapter"));
    else
        QCOMPARE(json.value("networkAdapter").toString(), expected);
}

void PcInventoryTest::unreachableWmiGivesDefaults_data() {
    QTest::addColumn<QString>("failAt");
    for (const char* stage : {"com", "locator", "connect", "blanket", "query"})
        QTest::newRow(stage) << stage;
}

void PcInventoryTest::unreachableWmiGivesDefaults() {
    QFETCH(QString, failAt);
    WmiModel model = desktop();
    model.failAt = failAt.toStdWString();
    const QJsonObject json = objectFor(model);
    QCOMPARE(json.value("host").toString(), QString("DESKTOP-TEST"));
    QCOMPARE(json.value("bit").toInt(), 64);
    QCOMPARE(json.value("system").toString(), QString(""));
    QCOMPARE(json.value("baseboard").toString(), QString(" "));
    for (const char* key : {"cpu", "videoController", "physicalMemory", "diskDrive", "monitor",
                            "audioCard", "networkAdapter"})
        QCOMPARE(json.value(key).toString(), QString("unknown"));
}

void PcInventoryTest::connectionDiagnosticsInOrder_data() {
    QTest::addColumn<QString>("failAt");
    QTest::addColumn<QString>("output");
    const QString connected = "Connected to ROOT\\CIMV2 WMI namespace\n";
    QTest::newRow("reachable") << "" << connected;
    QTest::newRow("connect") << "connect"
                             << "Could not connect. Error code = 0x8004100e\n";
    QTest::newRow("blanket") << "blanket"
                             << connected +
                                    "Could not set proxy blanket. Error code = 0x80070005\n";
    QTest::newRow("query") << "query"
                           << connected + "Query for xxx failed. Error code = 0x800706ba\n\n";
}

// The connection line comes as soon as the namespace is reached, before the blanket step.
void PcInventoryTest::connectionDiagnosticsInOrder() {
    QFETCH(QString, failAt);
    QFETCH(QString, output);
    WmiModel model = desktop();
    model.failAt = failAt.toStdWString();
    std::ostringstream captured;
    std::streambuf* standardOutput = std::cout.rdbuf(captured.rdbuf());
    jsonFor(model);
    std::cout.rdbuf(standardOutput);
    QCOMPARE(QString::fromStdString(captured.str()), output);
}

void PcInventoryTest::bitFollowsWindows() {
    FixedSystem system;
    system.wow64 = false;
    system.arch = platform::ProcessorArchitecture::X86;
    QVERIFY(jsonFor(desktop(), system).contains("\"bit\": 32"));
    system.arch = platform::ProcessorArchitecture::Amd64;  // a 64-bit build on 64-bit Windows
    QVERIFY(jsonFor(desktop(), system).contains("\"bit\": 64"));
}

void PcInventoryTest::wrongVariantTypeIsIgnored() {
    WmiModel model = desktop();
    model.classes[L"win32_physicalmemory"] = {{{L"Capacity", WmiValue::int32(1 << 30)},
                                               {L"Manufacturer", s("M")},
                                               {L"Speed", s("2400")}}};
    QCOMPARE(objectFor(model).value("physicalMemory").toString(), QString("0GB(M 0MHz)"));
}

void PcInventoryTest::hostHardwareFromFixture() {
    QTemporaryDir root;
    auto put = [&](const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(root.filePath(path)).path());
        QFile file(root.filePath(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    put("proc/cpuinfo",
        "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Test CPU\ncpu cores\t: 2\n\n"
        "processor\t: 1\nvendor_id\t: GenuineIntel\nmodel name\t: Test CPU\ncpu cores\t: 2\n");
    put("proc/meminfo", "MemTotal:       16314336 kB\nMemFree: 1 kB\n");
    put("sys/class/dmi/id/board_vendor", "Maker\n");
    put("sys/class/dmi/id/board_name", "Board 1\n");
    put("sys/block/sda/device/model", "Disk Model\n");
    put("sys/block/sda/size", "1000215216\n");
    put("sys/block/loop0/size", "8\n");
    put("sys/class/net/eth0/address", "52:54:00:12:34:56\n");
    put("sys/class/net/eth0/device/vendor", "0x8086\n");
    put("sys/class/net/br0/address", "aa:bb:cc:dd:ee:ff\n");
    put("proc/asound/cards",
        " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n                      HDA Intel PCH at "
        "0xf\n");

    WmiModel model;
    model.classes = platform::posix::readHostHardware(root.path());
    model.classes[L"win32_operatingsystem"] = {{{L"Caption", s("Microsoft Windows 10 Pro")}}};
    const QJsonObject json = objectFor(model);
    QCOMPARE(json.value("cpu").toString(), QString("Test CPU"));
    QCOMPARE(json.value("baseboard").toString(), QString("Maker Board 1"));
    QCOMPARE(json.value("physicalMemory").toString(), QString("15GB( 0MHz)"));
    QCOMPARE(json.value("diskDrive").toString(), QString("Disk Model"));
    QCOMPARE(json.value("audioCard").toString(), QString("HDA Intel PCH"));
    QCOMPARE(json.value("networkAdapter").toString(), QString("eth0"));
    QCOMPARE(json.value("monitor").toString(), QString("unknown"));
}

namespace {
const bool registered = registerTest<PcInventoryTest>("PcInventoryTest");
}  // namespace
#include "tst_pcinventory.moc"
