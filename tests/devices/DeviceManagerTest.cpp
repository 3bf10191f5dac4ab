// The simulated device manager: corvanta-sim's device verbs, what leaves and comes back with a
// device, the sets that see it, the interface notifications another process's change brings,
// and re-enumeration.
#include <QProcess>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/Devices.h"

namespace {

constexpr int kDeliveryTimeoutMs = 5000;
const char kPrinter[] = "USB\\VID_03F0&PID_1853\\CN5C13J0B2";

struct ToolRun {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

ToolRun runTool(const QString& machine, const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
               QStringList{QStringLiteral("--machine"), machine} + arguments);
    tool.waitForFinished();
    auto lines = [](const QByteArray& text) {
        return QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    return {tool.exitCode(), lines(tool.readAllStandardOutput()),
            lines(tool.readAllStandardError())};
}

// The "present"/"absent" word of each listed device, by instance ID.
QMap<QString, QString> presence(const QString& machine) {
    QMap<QString, QString> states;
    for (const QString& line : runTool(machine, {"device", "list"}).out) {
        const QStringList fields = line.split(QStringLiteral("  "));
        states.insert(fields.value(0), fields.value(1));
    }
    return states;
}

class RecordingSink : public platform::DeviceChangeSink {
public:
    struct Event {
        std::intptr_t window;
        std::uint32_t event;
        QString path;
    };
    void deviceChange(std::intptr_t window, std::uint32_t event,
                      const platform::DeviceInterfaceBroadcast& broadcast) override {
        std::lock_guard<std::mutex> lock(mutex);
        events.append({window, event, QString::fromStdWString(broadcast.name)});
    }
    QList<Event> take() {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(events, {});
    }
    std::mutex mutex;
    QList<Event> events;
};

const platform::Guid kUsbDevice{
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
const platform::Guid kPrinterInterface{
    0x0ECEF634, 0x6EF0, 0x472A, {0x80, 0x85, 0x5A, 0xD0, 0x23, 0xEC, 0xBC, 0xCD}};

}  // namespace

class DeviceManagerTest : public QObject {
    Q_OBJECT

private slots:
    void listNamesEveryDevice() {
        auto pc = PcFolder::fromFixture(QStringLiteral("usb-pc"));
        const ToolRun run = runTool(pc->directory(), {"device", "list"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.size(), 20);
        QVERIFY(run.out.contains(
            QStringLiteral("USB\\VID_03F0&PID_1853\\CN5C13J0B2  present  USB  usbprint")));
        QVERIFY(
            run.out.contains(QStringLiteral("USB\\VID_04B8&PID_0005\\L4XZ013852  present  -  -")));
        QVERIFY(
            run.out.contains(QStringLiteral("USB\\VID_0C45&PID_6A10\\GONE  absent  USB  usbccgp")));
    }

    void unplugTakesDescendantsAndPlugRestoresThem() {
        auto pc = PcFolder::fromFixture(QStringLiteral("usb-pc"));
        const QString dir = pc->directory();
        // The queue leaves on its own first; it must not come back with the printer.
        const QString queue =
            QStringLiteral("SWD\\PRINTENUM\\{5B7E8C2A-41D3-4F9A-9C11-2E6B0A7D4F38}");
        QCOMPARE(runTool(dir, {"device", "unplug", queue}).exitCode, 0);
        ToolRun run = runTool(dir, {"device", "unplug", QString::fromLatin1(kPrinter).toLower()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(
            run.out,
            QStringList{"unplugged USB\\VID_03F0&PID_1853\\CN5C13J0B2 with 1 device(s) below it"});
        QMap<QString, QString> states = presence(dir);
        QCOMPARE(states.value(kPrinter), QStringLiteral("absent"));
        QCOMPARE(states.value("USBPRINT\\MAKERLABEL_400\\7&1"), QStringLiteral("absent"));
        // A child cannot come back while its parent is away.
        run = runTool(dir, {"device", "plug", "USBPRINT\\MAKERLABEL_400\\7&1"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.size(), 1);
        QCOMPARE(runTool(dir, {"device", "plug", kPrinter}).exitCode, 0);
        states = presence(dir);
        QCOMPARE(states.value(kPrinter), QStringLiteral("present"));
        QCOMPARE(states.value("USBPRINT\\MAKERLABEL_400\\7&1"), QStringLiteral("present"));
        QCOMPARE(states.value(queue), QStringLiteral("absent"));
        // Present sets follow.
        std::unique_ptr<platform::DeviceInfoSet> set;
        QCOMPARE(pc->pc().get<platform::Devices>().classDevices(
                     nullptr, platform::dev::kDigcfAllClasses | platform::dev::kDigcfPresent, set),
                 0u);
        std::uint32_t count = 0;
        platform::DeviceInfoData info;
        while (set->enumDeviceInfo(count, info) == 0)
            ++count;
        QCOMPARE(count, 18u);
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown unplug") << QStringList{"device", "unplug", "USB\\NO\\SUCH"};
        QTest::newRow("unknown plug") << QStringList{"device", "plug", "USB\\NO\\SUCH"};
        QTest::newRow("no ID") << QStringList{"device", "unplug"};
        QTest::newRow("unknown action") << QStringList{"device", "eject", kPrinter};
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        auto pc = PcFolder::fromFixture(QStringLiteral("usb-pc"));
        const ToolRun run = runTool(pc->directory(), arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.size(), 1);
        QVERIFY(run.err.first().startsWith(QStringLiteral("corvanta-sim: ")));
    }

    void anotherProcessesChangeReachesRegisteredWindows() {
        auto pc = PcFolder::fromFixture(QStringLiteral("usb-pc"));
        RecordingSink sink;
        platform::setDeviceChangeSink(&sink);
        platform::Devices& devices = pc->pc().get<platform::Devices>();
        std::unique_ptr<platform::DeviceNotification> usb, printers;
        QCOMPARE(devices.registerDeviceNotification(7, kUsbDevice, usb), 0u);
        QCOMPARE(devices.registerDeviceNotification(8, kPrinterInterface, printers), 0u);
        QCOMPARE(runTool(pc->directory(), {"device", "unplug", kPrinter}).exitCode, 0);
        QList<RecordingSink::Event> events;
        QVERIFY(QTest::qWaitFor([&] { return (events += sink.take()).size() >= 2; },
                                kDeliveryTimeoutMs));
        // The queue's printer interface goes before the USB device's own.
        QCOMPARE(events[0].window, std::intptr_t(8));
        QCOMPARE(events[0].event, platform::dev::kDbtDeviceRemoveComplete);
        QCOMPARE(events[1].window, std::intptr_t(7));
        QCOMPARE(events[1].path, QStringLiteral("\\\\?\\USB#VID_03F0&PID_1853#CN5C13J0B2#"
                                                "{a5dcbf10-6530-11d2-901f-00c04fb951ed}"));
        printers.reset();  // unregistered: window 8 hears nothing more
        QCOMPARE(runTool(pc->directory(), {"device", "plug", kPrinter}).exitCode, 0);
        events.clear();
        QVERIFY(QTest::qWaitFor([&] { return !(events += sink.take()).isEmpty(); },
                                kDeliveryTimeoutMs));
        QTest::qWait(200);
        events += sink.take();
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].event, platform::dev::kDbtDeviceArrival);
        platform::setDeviceChangeSink(nullptr);
    }

    void reenumeration_data() {
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<quint32>("result");
        QTest::newRow("elevated") << true << quint32(platform::dev::kCrSuccess);
        QTest::newRow("not elevated") << false << quint32(platform::dev::kCrAccessDenied);
    }
    void reenumeration() {
        QFETCH(bool, elevated);
        QFETCH(quint32, result);
        auto pc = PcFolder::fromText(QByteArray(R"({"system": {"version": {"major": 10,
            "minor": 0, "build": 19045}, "architecture": "x64", "userName": "user", "computerName": "X", "elevated": )") +
                                     (elevated ? "true" : "false") + "}}");
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        platform::Devices& devices = pc->pc().get<platform::Devices>();
        std::uint32_t root = 0;
        QCOMPARE(devices.locateDevNode(L"", platform::dev::kCmLocateDevNodeNormal, root),
                 platform::dev::kCrSuccess);
        QCOMPARE(devices.reenumerateDevNode(root, platform::dev::kCmReenumerateNormal), result);
        std::uint32_t none = 0;
        QCOMPARE(devices.locateDevNode(L"USB\\NO\\SUCH", 0, none), platform::dev::kCrNoSuchDevNode);
        QCOMPARE(devices.reenumerateDevNode(12345, 0), platform::dev::kCrInvalidDevNode);
    }

    void setsOfOneClassOrInterface() {
        auto pc = PcFolder::fromFixture(QStringLiteral("usb-pc"));
        platform::Devices& devices = pc->pc().get<platform::Devices>();
        std::unique_ptr<platform::DeviceInfoSet> set;
        QCOMPARE(devices.classDevices(nullptr, platform::dev::kDigcfPresent, set),
                 platform::win32::kInvalidParameter);
        QCOMPARE(devices.classDevices(
                     &kUsbDevice,
                     platform::dev::kDigcfPresent | platform::dev::kDigcfDeviceInterface, set),
                 0u);
        platform::DeviceInterfaceData data;
        std::uint32_t count = 0;
        while (set->enumDeviceInterfaces(kUsbDevice, count, data) == 0)
            ++count;
        QCOMPARE(count, 4u);
        platform::DeviceValue value;
        platform::DeviceInfoData info;
        QCOMPARE(set->enumDeviceInfo(0, info), 0u);
        QCOMPARE(set->registryProperty(info, platform::dev::kSpdrpFriendlyName, value),
                 platform::win32::kInvalidData);
        QCOMPARE(set->deviceProperty(info, platform::devpkey::kFriendlyName, value),
                 platform::dev::kErrorNotFound);
        QCOMPARE(set->registryProperty(info, platform::dev::kSpdrpHardwareId, value), 0u);
        QCOMPARE(value.type, platform::dev::kRegMultiSz);
    }
};

namespace {
const bool registered = registerTest<DeviceManagerTest>("DeviceManagerTest");
}

#include "DeviceManagerTest.moc"
