#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/Registry.h"
#include "platform/sim/registry/RegistryView.h"
#include "platform/sim/registry/SimRegistry.h"

using namespace platform;

namespace {

// A 64-bit PC (x64 and WOW64 by default) and its 32-bit twin, each with a value in the
// native SOFTWARE, one in WOW6432Node and one under a key both views share.
QByteArray profileText(const char* architecture) {
    return QByteArray(R"({
        "system": {"version": {"major": 10, "minor": 0, "build": 19045},
                   "architecture": ")") +
           architecture + R"(", "computerName": "VIEW-PC", "userName": "Tester"},
        "registry": {
            "HKLM\\SOFTWARE\\Vendor": {"Where": "native"},
            "HKLM\\SOFTWARE\\WOW6432Node\\Vendor": {"Where": "wow64"},
            "HKLM\\SOFTWARE\\Policies\\Vendor": {"Where": "shared"}
        }
    })";
}

std::wstring where(Registry& registry, const wchar_t* path, std::uint32_t access) {
    std::wstring text;
    if (reg::readString(registry, RegistryRoot::LocalMachine, path, L"Where", text, access) !=
        win32::kSuccess) {
        return L"(none)";
    }
    return text;
}

}  // namespace

class RegistryViewTest : public QObject {
    Q_OBJECT

private slots:
    void keyNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("access");
        QTest::addColumn<QString>("seen");
        const uint read = kKeyRead;
        const uint view64 = kKeyRead | kKeyWow64_64Key;
        const uint view32 = kKeyRead | kKeyWow64_32Key;
        QTest::newRow("software key") << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App" << read
                                      << "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor\\App";
        QTest::newRow("software itself") << "HKEY_LOCAL_MACHINE\\SOFTWARE" << read
                                         << "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node";
        QTest::newRow("64-bit view asked for")
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MMC\\SnapIns" << view64
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MMC\\SnapIns";
        QTest::newRow("32-bit view asked for")
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" << view32
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor";
        QTest::newRow("both views asked for: the 32-bit one")
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" << (view32 | kKeyWow64_64Key)
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Vendor";
        QTest::newRow("already redirected")
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vendor" << read
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vendor";
        QTest::newRow("shared policies, any case")
            << "HKEY_LOCAL_MACHINE\\software\\policies\\Microsoft\\Windows NT\\Printers\\RPC"
            << read
            << "HKEY_LOCAL_MACHINE\\software\\policies\\Microsoft\\Windows NT\\Printers\\RPC";
        QTest::newRow("shared print key") << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows "
                                             "NT\\CurrentVersion\\Print\\Printers"
                                          << read
                                          << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows "
                                             "NT\\CurrentVersion\\Print\\Printers";
        QTest::newRow("a name that only begins like a shared key")
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\PoliciesOfVendor" << read
            << "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\PoliciesOfVendor";
        QTest::newRow("system is not redirected")
            << "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services" << read
            << "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services";
        QTest::newRow("the user's software is not redirected")
            << "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" << read
            << "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    }
    void keyNames() {
        QFETCH(QString, name);
        QFETCH(uint, access);
        QFETCH(QString, seen);
        QCOMPARE(sim::keyNameIn32BitView(name, access), seen);
    }

    // Corvanta and Kestrune are 32-bit programs: on a 64-bit PC the process's registry is the
    // 32-bit view, on a 32-bit PC the one registry there is.
    void theProcessSeesItsOwnView_data() {
        QTest::addColumn<QByteArray>("architecture");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("view64");
        QTest::newRow("64-bit PC") << QByteArray("x64") << "wow64"
                                   << "native";
        QTest::newRow("32-bit PC") << QByteArray("x86") << "native"
                                   << "native";
    }
    void theProcessSeesItsOwnView() {
        QFETCH(QByteArray, architecture);
        QFETCH(QString, plain);
        QFETCH(QString, view64);
        auto folder = PcFolder::fromText(profileText(architecture.constData()));
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        Registry& registry = folder->pc().get<Registry>();
        QCOMPARE(QString::fromStdWString(where(registry, L"SOFTWARE\\Vendor", kKeyRead)), plain);
        QCOMPARE(QString::fromStdWString(
                     where(registry, L"SOFTWARE\\Vendor", kKeyRead | kKeyWow64_64Key)),
                 view64);
        QCOMPARE(QString::fromStdWString(where(registry, L"SOFTWARE\\Policies\\Vendor", kKeyRead)),
                 QStringLiteral("shared"));
    }

    // What a 32-bit program writes lands under WOW6432Node, where the PC's own tools see it.
    void writesOfThe32BitViewLandInWow6432Node() {
        auto folder = PcFolder::fromText(profileText("x64"));
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        Registry& program = folder->pc().get<Registry>();
        QCOMPARE(reg::writeString(program, RegistryRoot::LocalMachine, L"SOFTWARE\\Written",
                                  L"Where", L"by a 32-bit program"),
                 win32::kSuccess);
        sim::SimRegistry native(folder->pc().machine().store());
        QCOMPARE(where(native, L"SOFTWARE\\WOW6432Node\\Written", kKeyRead),
                 std::wstring(L"by a 32-bit program"));
        QCOMPARE(where(native, L"SOFTWARE\\Written", kKeyRead), std::wstring(L"(none)"));
        QCOMPARE(program.deleteTree(RegistryRoot::LocalMachine, L"SOFTWARE\\Written"),
                 win32::kSuccess);
        std::unique_ptr<RegistryKey> key;
        QCOMPARE(native.openKey(RegistryRoot::LocalMachine, L"SOFTWARE\\WOW6432Node\\Written",
                                kKeyRead, key),
                 win32::kFileNotFound);
    }
};

namespace {
const bool registered = registerTest<RegistryViewTest>("RegistryViewTest");
}

#include "RegistryViewTest.moc"
