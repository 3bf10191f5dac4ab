#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/Profile.h"
#include "platform/sim/registry/SimRegistry.h"
#include "platform/sim/system/SimSystemInfo.h"

using namespace platform;

namespace {

// A valid system section to build faulty profiles around.
const char* const kSystem =
    R"("system": {"version": {"major": 10, "minor": 0, "build": 19045},
                  "architecture": "x64", "computerName": "PC", "userName": "user")";

QByteArray withSystem(const char* rest, const char* systemExtra = "") {
    return QByteArray("{") + kSystem + systemExtra + "}" + rest + "}";
}

}  // namespace

class ProfileTest : public QObject {
    Q_OBJECT

private slots:
    void faultsAreNamed_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("not JSON") << QByteArray("{\n  \"system\": {\n    \"version\" 1\n") + "}}"
                                  << "profile test:3:15: ";
        QTest::newRow("unknown system field")
            << withSystem("", R"(, "buildd": 1)") << "profile test: unknown field system.buildd";
        QTest::newRow("unknown section")
            << withSystem(R"(, "printerz": {})") << "profile test: unknown field printerz";
        QTest::newRow("unknown field of a typed value")
            << withSystem(
                   R"(, "registry": {"HKEY_LOCAL_MACHINE\\X": {"Foo": {"type": "REG_SZ", "dat": "x"}}})")
            << R"(profile test: unknown field registry."HKEY_LOCAL_MACHINE\\X".Foo.dat)";
        QTest::newRow("value of the wrong form")
            << withSystem(
                   R"(, "registry": {"HKLM\\X": {"Foo": {"type": "REG_DWORD", "data": "1"}}})")
            << R"(registry."HKLM\\X".Foo.data: expected a whole number)";
        // Digits of other scripts are not hex digits: taken, they would shift every later byte.
        QTest::newRow("binary with non-ASCII digits")
            << withSystem(
                   R"(, "registry": {"HKLM\\X": {"Foo": {"type": "REG_BINARY", "data": "\u0661\u0662ff"}}})")
            << R"(registry."HKLM\\X".Foo.data: expected hex digits)";
        QTest::newRow("unknown root key") << withSystem(R"(, "registry": {"HKEY_USERS\\X": {}})")
                                          << R"(registry."HKEY_USERS\\X": the key must start with)";
        QTest::newRow("unknown access rule")
            << withSystem(R"(, "registryAccess": {"HKLM\\X": "never"})")
            << R"(registryAccess."HKLM\\X": expected "denied" or "readOnly")";
        QTest::newRow("missing system") << QByteArray("{}") << "missing section system";
        QTest::newRow("user name leaving the drive")
            << QByteArray(R"({"system": {"version": {"major": 10, "minor": 0, "build": 1},
               "architecture": "x64", "computerName": "PC", "userName": "..\\..\\x"}})")
            << "system.userName: not a valid name";
    }

    void faultsAreNamed() {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        sim::Profile profile;
        QString error;
        QVERIFY(!sim::parseProfile(text, QStringLiteral("test"), sim::registeredFacilities(),
                                   profile, error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    void bundledProfilesLoad_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("wow64");
        QTest::addColumn<bool>("hasMachineGuid");
        QTest::addColumn<std::uint32_t>("major");
        QTest::newRow("win10") << "win10" << true << true << 10u;
        QTest::newRow("win7") << "win7" << false << false << 6u;
        QTest::newRow("empty") << "empty" << true << false << 10u;
    }

    void bundledProfilesLoad() {
        QFETCH(QString, name);
        QFETCH(bool, wow64);
        QFETCH(bool, hasMachineGuid);
        QFETCH(std::uint32_t, major);
        QVERIFY(sim::bundledProfileNames().contains(name));
        sim::Profile profile;
        QString error;
        QVERIFY2(sim::loadProfile(name, sim::registeredFacilities(), profile, error),
                 qPrintable(error));
        QTemporaryDir folder;
        QVERIFY2(sim::Machine::create(folder.path(), profile, false, error), qPrintable(error));
        auto machine =
            sim::Machine::open(folder.path(), platform::sim::registeredFacilities(), error);
        QVERIFY2(machine, qPrintable(error));
        const sim::SimSystemInfo info(machine->system());
        QCOMPARE(info.isWow64(), wow64);
        QCOMPARE(info.version().major, major);
        sim::SimRegistry registry(machine->store());
        std::wstring text;
        QCOMPARE(reg::readString(registry, RegistryRoot::LocalMachine,
                                 L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                                 text) == win32::kSuccess,
                 hasMachineGuid);
        QCOMPARE(reg::readString(registry, RegistryRoot::LocalMachine,
                                 L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers",
                                 L"DefaultSpoolDirectory", text),
                 win32::kSuccess);
        QCOMPARE(text, std::wstring(L"C:\\Windows\\system32\\spool\\PRINTERS"));
        QVERIFY(QFileInfo(machine->fileSystem().hostPath(QString::fromStdWString(text))).isDir());
    }

    void foldersFollowTheUserName() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        const sim::SimSystemInfo info(test->pc().machine().system());
        QCOMPARE(info.userName(), std::wstring(L"Tester"));
        QCOMPARE(info.tempFolder(), std::wstring(L"C:\\Users\\Tester\\AppData\\Local\\Temp\\"));
        QCOMPARE(info.knownFolder(KnownFolder::Documents),
                 std::wstring(L"C:\\Users\\Tester\\Documents"));
        QCOMPARE(info.knownFolder(KnownFolder::ProgramFiles),
                 std::wstring(L"C:\\Program Files (x86)"));
        for (const KnownFolder folder : {KnownFolder::Downloads, KnownFolder::Desktop,
                                         KnownFolder::RoamingAppData, KnownFolder::Fonts}) {
            const QString host = test->pc().machine().fileSystem().hostPath(
                QString::fromStdWString(info.knownFolder(folder)));
            QVERIFY2(QFileInfo(host).isDir(), qPrintable(host));
        }
    }

    void profileFileFaultNamesTheFile() {
        QTemporaryDir folder;
        const QString file = folder.path() + QStringLiteral("/bad.json");
        QFile bad(file);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(withSystem("", R"(, "buildd": 1)"));
        bad.close();
        sim::Profile profile;
        QString error;
        QVERIFY(!sim::loadProfile(file, sim::registeredFacilities(), profile, error));
        QVERIFY2(error.contains(file) && error.contains(QStringLiteral("system.buildd")),
                 qPrintable(error));
    }
};

namespace {
const bool registered = registerTest<ProfileTest>("ProfileTest");
}  // namespace

#include "ProfileTest.moc"
