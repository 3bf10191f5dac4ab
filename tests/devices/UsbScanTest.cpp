// The device tree and the USB phase over fixture PCs: which device each search reports, the ID
// orderings, the tree's candidates and groups under the service filter, and the page payloads.
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "devices/DeviceTree.h"
#include "devices/UsbPrinterScan.h"
#include "mainwindow/UsbPayloads.h"
#include "platform/Devices.h"
#include "printers/PrinterDevices.h"

using namespace devices;
using webhost::JsValue;

namespace {

QStringList texts(const std::vector<std::wstring>& list) {
    QStringList out;
    for (const std::wstring& item : list)
        out << QString::fromStdWString(item);
    return out;
}

std::vector<std::wstring> wide(const QStringList& list) {
    std::vector<std::wstring> out;
    for (const QString& item : list)
        out.push_back(item.toStdWString());
    return out;
}

// The fixture on another Windows version.
QByteArray usbPcAsWindows7() {
    QByteArray text = fixtureText(QStringLiteral("usb-pc"));
    text.replace(R"("version": {"major": 10, "minor": 0, "build": 19045})",
                 R"("version": {"major": 6, "minor": 1, "build": 7601})");
    return text;
}

struct Scan {
    std::vector<std::vector<USBPrinterInfo>> reports;
    std::shared_ptr<UsbTreeReport> tree;
    QList<QPair<int, int>> progress;
};

Scan scan(platform::Devices& devices, const platform::WindowsVersion& version,
          std::function<bool()> scanning = {}) {
    Scan result;
    UsbReports reports;
    reports.progress = [&](int current, int event) { result.progress.append({current, event}); };
    reports.scanning = std::move(scanning);
    reports.usbPrinters = [&](std::vector<USBPrinterInfo> found) {
        result.reports.push_back(std::move(found));
    };
    reports.usbTree = [&](std::shared_ptr<UsbTreeReport> tree) { result.tree = std::move(tree); };
    scanUsbPrinters(devices, version, L"USB-PC", reports);
    return result;
}

platform::WindowsVersion windows10() {
    return {10, 0, 19045, 0, 0};
}

QStringList instanceIds(const std::vector<DeviceItem*>& items) {
    QStringList ids;
    for (const DeviceItem* item : items)
        ids << QString::fromStdWString(item->instanceId);
    return ids;
}

}  // namespace

class UsbScanTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_pc = PcFolder::fromFixture(QStringLiteral("usb-pc"));
        QVERIFY2(m_pc->isValid(), qPrintable(m_pc->error()));
    }

    void idHashOfTheRoot() {
        QCOMPARE(idHash(kRootInstanceId), kRootHash);
        QCOMPARE(idHash(L""), 0u);
        // One code unit: h = 0 * k + c.
        QCOMPARE(idHash(L"A"), 0x41u);
    }

    void treeLinksAndDefaults() {
        DeviceTree tree;
        QCOMPARE(tree.build(devices(), L"USB-PC"), 0u);
        QVERIFY(tree.root());
        // The PC lists the root: it is the listed node, named for the computer.
        QCOMPARE(tree.items().size(), std::size_t(19));
        QCOMPARE(tree.text(*tree.root(), kPropName), std::wstring(L"USB-PC"));
        DeviceItem* hub = find(tree, L"USB\\ROOT_HUB30\\4&1");
        QVERIFY(hub && hub->parent);
        // Its parent was named in lower case.
        QCOMPARE(hub->parent->instanceId, std::wstring(L"PCI\\VEN_8086&DEV_A36D\\3&0"));
        QCOMPARE(hub->childCount, 4);
        QCOMPARE(hub->firstChild->instanceId, std::wstring(L"USB\\VID_03F0&PID_1853\\CN5C13J0B2"));
        DeviceItem* noIds = find(tree, L"ROOT\\NOIDS\\0000");
        QVERIFY(noIds);
        QVERIFY(noIds->hardwareIds.empty());
        QCOMPARE(noIds->problemCode, DeviceItem::kProblemUnknown);
        DeviceItem* driverless = find(tree, L"USB\\VID_04B8&PID_0005\\L4XZ013852");
        QCOMPARE(driverless->problemCode, 28u);
        QCOMPARE(tree.text(*driverless, kPropNodeStatus), std::wstring(L"0x180240a"));
        QCOMPARE(tree.text(*driverless, kPropContainerId),
                 std::wstring(L"{2B6D9E10-4C7A-5F3E-8A1B-6C9D0E2F3A14}"));
        QCOMPARE(tree.text(*driverless, kPropIsPresent), std::wstring(L"true"));
        QCOMPARE(tree.text(*driverless, kPropHardwareIds),
                 std::wstring(L"USB\\VID_04B8&PID_0005&REV_0100,USB\\VID_04B8&PID_0005,"));
        QCOMPARE(tree.text(*driverless, kPropEnumeratorName), std::wstring(L"USB"));
        QVERIFY(!tree.property(*driverless, kPropClass).hasValue);
        // The absent camera is not in a set of present devices.
        QVERIFY(!find(tree, L"USB\\VID_0C45&PID_6A10\\GONE"));
    }

    void syntheticRootWhenNoneIsListed() {
        auto pc =
            PcFolder::fromText(R"({"system": {"version": {"major": 10, "minor": 0, "build": 19045},
            "architecture": "x64", "userName": "user", "computerName": "X"}, "devices": [
            {"instanceId": "ROOT\\A\\0", "parent": "HTREE\\ROOT\\0", "class": "System"},
            {"instanceId": "ROOT\\B\\0", "parent": "htree\\root\\0", "class": "System"}]})");
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        DeviceTree tree;
        QCOMPARE(tree.build(pc->pc().get<platform::Devices>(), L"SOME-PC"), 0u);
        QCOMPARE(tree.items().size(), std::size_t(3));
        QCOMPARE(tree.root()->instanceId, std::wstring(kRootInstanceId));
        QVERIFY(tree.root()->deviceSet == nullptr);
        QCOMPARE(tree.text(*tree.root(), kPropName), std::wstring(L"SOME-PC"));
        QCOMPARE(tree.root()->childCount, 2);
    }

    void searches_data() {
        QTest::addColumn<int>("search");
        QTest::addColumn<QStringList>("descriptions");
        // Search 0: the printer class; search 1: printing devices of the software device
        // class not already found by their hardware IDs (case aside), printing compatible IDs
        // in exact case; search 3: driverless devices with a USB hardware ID.
        QTest::newRow("printer class") << 0 << QStringList{"Maker Label 400", ""};
        QTest::newRow("printing devices") << 1 << QStringList{"Network printing device"};
        QTest::newRow("driverless") << 2 << QStringList{"USB Printer"};
    }
    void searches() {
        QFETCH(int, search);
        QFETCH(QStringList, descriptions);
        const Scan result = scan(devices(), windows10());
        QCOMPARE(result.reports.size(), std::size_t(3));
        QStringList found;
        for (const USBPrinterInfo& info : result.reports[std::size_t(search)]) {
            found << QString::fromStdWString(info.deviceDesc);
            QCOMPARE(info.searchMethod, search == 2 ? 3 : search);
            QVERIFY(info.reserved.empty());
        }
        QCOMPARE(found, descriptions);
    }

    void recordOfTheDriverPrinter() {
        const Scan result = scan(devices(), windows10());
        const USBPrinterInfo& printer = result.reports[0][0];
        QCOMPARE(QString::fromStdWString(printer.className), QStringLiteral("Printer"));
        QCOMPARE(QString::fromStdWString(printer.classGuid),
                 QStringLiteral("{4D36E979-E325-11CE-BFC1-08002BE10318}"));
        QCOMPARE(
            texts(printer.compatibleIds),
            (QStringList{"USBPRINT\\MakerLabel_B", "USBPRINT\\MakerLabel_A", "GENERIC_PRINTER"}));
        QCOMPARE(texts(printer.hardwareIds),
                 (QStringList{"USBPRINT\\MakerLabel_4007A3C", "MakerLabel_4007A3C"}));
        QCOMPARE(QString::fromStdWString(printer.friendlyName), QStringLiteral("Label Printer"));
        QCOMPARE(QString::fromStdWString(printer.mfg), QStringLiteral("Maker"));
        QCOMPARE(
            mainwindow::usbPrinterJson(printer),
            QByteArray(R"({"compatibleids":["USBPRINT\\MakerLabel_B","USBPRINT\\MakerLabel_A",)"
                       R"("GENERIC_PRINTER"],"deviceDesc":"Maker Label 400","friendlyName":)"
                       R"("Label Printer","hardwareids":["USBPRINT\\MakerLabel_4007A3C",)"
                       R"("MakerLabel_4007A3C"],"mfg":"Maker","searchMethod":0})"));
    }

    void idOrderings_data() {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<bool>("compatible");
        QTest::addColumn<QStringList>("ordered");
        QTest::newRow("compatible") << QStringList{"USBPRINT\\A", "X", "USBPRINT\\B"} << true
                                    << QStringList{"USBPRINT\\B", "USBPRINT\\A", "X"};
        QTest::newRow("generic print") << QStringList{"X", "CID_MS_GENERICPRINT", "Y"} << true
                                       << QStringList{"CID_MS_GENERICPRINT", "X", "Y"};
        QTest::newRow("hardware") << QStringList{"A", "USB\\B", "C", "USB\\D"} << false
                                  << QStringList{"USB\\D", "USB\\B", "A", "C"};
        QTest::newRow("empty") << QStringList{} << false << QStringList{};
    }
    void idOrderings() {
        QFETCH(QStringList, ids);
        QFETCH(bool, compatible);
        QFETCH(QStringList, ordered);
        QCOMPARE(texts(compatible ? orderCompatibleIds(wide(ids)) : orderHardwareIds(wide(ids))),
                 ordered);
    }

    void interruptEndsThePhase() {
        int tests = 0;
        const Scan result = scan(devices(), windows10(), [&] { return ++tests < 2; });
        // Reported search 0, then the state test after it ended the phase.
        QCOMPARE(result.reports.size(), std::size_t(1));
        QVERIFY(!result.tree);
        QCOMPARE(result.progress, (QList<QPair<int, int>>{{1, 3}, {3, 4}}));
    }

    void treeCandidates_data() {
        QTest::addColumn<bool>("windows7");
        QTest::addColumn<QStringList>("candidates");
        const QStringList usb{"USB\\VID_03F0&PID_1853\\CN5C13J0B2",
                              "USB\\VID_04B8&PID_0005\\L4XZ013852", "USB\\VID_046D&PID_C52B\\5&1",
                              "USB\\VID_0781&PID_5567\\4C53"};
        QTest::newRow("Windows 10 reads presence") << false << usb;
        QTest::newRow("Windows 7 does not") << true << usb;
    }
    void treeCandidates() {
        QFETCH(bool, windows7);
        QFETCH(QStringList, candidates);
        auto pc = windows7 ? PcFolder::fromText(usbPcAsWindows7()) : nullptr;
        platform::Devices& devs = windows7 ? pc->pc().get<platform::Devices>() : devices();
        const Scan result =
            scan(devs, windows7 ? platform::WindowsVersion{6, 1, 7601, 1, 0} : windows10());
        QVERIFY(result.tree);
        QCOMPARE(instanceIds(result.tree->usbDevices), candidates);
        if (windows7) {
            QVERIFY(
                !result.tree->tree.property(*result.tree->usbDevices[0], kPropIsPresent).hasValue);
        }
    }

    void serviceFilter_data() {
        QTest::addColumn<JsValue>("argument");
        QTest::addColumn<QStringList>("reported");
        const QStringList all{"USB\\VID_03F0&PID_1853\\CN5C13J0B2",
                              "USB\\VID_04B8&PID_0005\\L4XZ013852", "USB\\VID_046D&PID_C52B\\5&1",
                              "USB\\VID_0781&PID_5567\\4C53"};
        QList<JsValue> defaults;
        for (const char* service : {"USBHUB3", "WUDFRd", "USBSTOR", "HidUsb", "kbdhid", "mouhid",
                                    "disk", "usbhub", "usbvideo", "RtlWlanu", "BTHUSB"})
            defaults << JsValue::string(QByteArray(service));
        QTest::newRow("default filter") << JsValue::arrayOf(defaults) << QStringList(all.mid(0, 2));
        QTest::newRow("empty array") << JsValue::emptyArray() << all;
        QTest::newRow("not an array") << JsValue::string(QByteArray("disk")) << all;
        QTest::newRow("undefined") << JsValue() << all;
        QTest::newRow("storage only") << JsValue::arrayOf({JsValue::string(QByteArray("disk"))})
                                      << (QStringList{all[0], all[1], all[2]});
        QTest::newRow("letter case counts")
            << JsValue::arrayOf({JsValue::string(QByteArray("hidusb"))}) << all;
    }
    void serviceFilter() {
        QFETCH(JsValue, argument);
        QFETCH(QStringList, reported);
        const Scan result = scan(devices(), windows10());
        QStringList ids;
        for (const UsbDeviceGroup& group :
             usbDeviceGroups(*result.tree, mainwindow::serviceFilterFromArgument(argument)))
            ids << QString::fromStdWString(group.front().instanceId);
        QCOMPARE(ids, reported);
    }

    void groupPayload() {
        const Scan result = scan(devices(), windows10());
        const std::vector<UsbDeviceGroup> groups = usbDeviceGroups(*result.tree, {});
        // The printer with its driver node and queue, which share its container.
        const JsValue printer = mainwindow::usbDeviceGroupValue(groups[0]);
        QCOMPARE(printer.length(), 3);
        const JsValue first = printer.at(0);
        QCOMPARE(first.keys(), (QList<QByteArray>{"Name", "Manu", "Service", "Class", "Enumerator",
                                                  "Instanceid", "ParentInstanceid", "Hardwareid"}));
        QCOMPARE(first.get("Name").toText(), QStringLiteral("USB Printing Support"));
        QCOMPARE(first.get("Service").toText(), QStringLiteral("usbprint"));
        QCOMPARE(first.get("Enumerator").toText(), QStringLiteral("USB"));
        QCOMPARE(first.get("ParentInstanceid").toText(), QString());
        QCOMPARE(first.get("Hardwareid").toText(),
                 QStringLiteral("USB\\VID_03F0&PID_1853&REV_0100"));
        QCOMPARE(printer.at(1).get("Name").toText(), QStringLiteral("Label Printer"));
        QCOMPARE(printer.at(1).get("ParentInstanceid").toText(),
                 QStringLiteral("USB\\VID_03F0&PID_1853\\CN5C13J0B2"));
        QCOMPARE(printer.at(2).get("Class").toText(), QStringLiteral("PrintQueue"));
        // The composite device: one group for its two interfaces of one VID/PID.
        QCOMPARE(mainwindow::usbDeviceGroupValue(groups[2]).length(), 3);
        // The stick's group stops at its container: the volume below is the PC's.
        QCOMPARE(mainwindow::usbDeviceGroupValue(groups[3]).length(), 2);
    }

    void printerList() {
        const QVector<PrinterAPI::PrinterClassDevice> list =
            PrinterAPI::printerClassDevices(devices());
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].description, QStringLiteral("Maker Label 400"));
        QCOMPARE(list[0].hardwareId, QStringLiteral("MakerLabel_4007A3C"));
        // No description: the friendly name.
        QCOMPARE(list[1].description, QStringLiteral("Fax"));
        QCOMPARE(list[1].hardwareId, QStringLiteral("ROOT\\FAX"));
    }

private:
    platform::Devices& devices() { return m_pc->pc().get<platform::Devices>(); }
    static DeviceItem* find(const DeviceTree& tree, const std::wstring& id) {
        for (const auto& item : tree.items()) {
            if (item->instanceId == id)
                return item.get();
        }
        return nullptr;
    }

    std::unique_ptr<PcFolder> m_pc;
};

namespace {
const bool registered = registerTest<UsbScanTest>("UsbScanTest");
}

#include "UsbScanTest.moc"
