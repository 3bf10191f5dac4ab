#include <QtTest>

#include "TestMain.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

using platform::RegistryRoot;
namespace win32 = platform::win32;
namespace reg = platform::reg;

// The registry backend on the real registry, in a key of the current user made for the run.
class RegistryBackendTest : public QObject {
    Q_OBJECT

    const std::wstring base_ =
        L"Software\\CorvantaTest\\Run" + std::to_wstring(QCoreApplication::applicationPid());

    platform::Registry& registry() { return platform::registry(); }

private slots:
    void cleanup() { registry().deleteTree(RegistryRoot::CurrentUser, base_); }
    void cleanupTestCase() {
        registry().deleteTree(RegistryRoot::CurrentUser, L"Software\\CorvantaTest");
    }

    void typedValuesComeBack() {
        QCOMPARE(reg::writeString(registry(), RegistryRoot::CurrentUser, base_, L"Text", L"abc"),
                 win32::kSuccess);
        QCOMPARE(reg::writeDword(registry(), RegistryRoot::CurrentUser, base_, L"Number", 42u),
                 win32::kSuccess);
        std::wstring text;
        std::uint32_t number = 0;
        QCOMPARE(reg::readString(registry(), RegistryRoot::CurrentUser, base_, L"Text", text),
                 win32::kSuccess);
        QCOMPARE(reg::readDword(registry(), RegistryRoot::CurrentUser, base_, L"Number", number),
                 win32::kSuccess);
        QCOMPARE(text, std::wstring(L"abc"));
        QCOMPARE(number, 42u);
    }

    void shortBufferAsksForMore() {
        std::unique_ptr<platform::RegistryKey> key;
        QCOMPARE(registry().createKey(RegistryRoot::CurrentUser, base_, platform::kKeyAllAccess,
                                      key),
                 win32::kSuccess);
        const std::vector<std::uint8_t> value = reg::encodeString(L"longer than four bytes");
        QCOMPARE(key->setValue(L"V", platform::kRegSz, value.data(),
                               static_cast<std::uint32_t>(value.size())),
                 win32::kSuccess);
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        QCOMPARE(key->queryValue(L"V", &type, nullptr, &size), win32::kSuccess);
        QCOMPARE(size, static_cast<std::uint32_t>(value.size()));
        std::uint8_t small[4];
        size = sizeof small;
        QCOMPARE(key->queryValue(L"V", &type, small, &size), win32::kMoreData);
        QCOMPARE(size, static_cast<std::uint32_t>(value.size()));
        QCOMPARE(type, static_cast<std::uint32_t>(platform::kRegSz));
    }

    void namesKeepTheirCase() {
        std::unique_ptr<platform::RegistryKey> key;
        QCOMPARE(registry().createKey(RegistryRoot::CurrentUser, base_ + L"\\MixedCase\\Deeper",
                                      platform::kKeyAllAccess, key),
                 win32::kSuccess);
        // A name longer than the first guess of the buffer.
        const std::wstring longName(300, L'n');
        QCOMPARE(key->setValue(longName, platform::kRegNone, nullptr, 0), win32::kSuccess);
        QCOMPARE(key->setValue(L"ValueOne", platform::kRegNone, nullptr, 0), win32::kSuccess);
        std::vector<std::wstring> values;
        QCOMPARE(key->valueNames(values), win32::kSuccess);
        std::sort(values.begin(), values.end());
        QCOMPARE(values, (std::vector<std::wstring>{L"ValueOne", longName}));

        std::unique_ptr<platform::RegistryKey> parent;
        QCOMPARE(registry().openKey(RegistryRoot::CurrentUser, base_, platform::kKeyRead, parent),
                 win32::kSuccess);
        std::vector<std::wstring> subkeys;
        QCOMPARE(parent->subkeyNames(subkeys), win32::kSuccess);
        QCOMPARE(subkeys, std::vector<std::wstring>{L"MixedCase"});
    }

    void missingAndRefusedKeys() {
        std::unique_ptr<platform::RegistryKey> key;
        QCOMPARE(registry().openKey(RegistryRoot::CurrentUser, base_ + L"\\Nothing",
                                    platform::kKeyRead, key),
                 win32::kFileNotFound);
        QVERIFY(!key);
        QCOMPARE(registry().createKey(RegistryRoot::CurrentUser, base_ + L"\\Parent\\Child",
                                      platform::kKeyAllAccess, key),
                 win32::kSuccess);
        key.reset();
        // A key with subkeys cannot be deleted alone; the tree can.
        QCOMPARE(registry().deleteKey(RegistryRoot::CurrentUser, base_ + L"\\Parent", 0),
                 win32::kAccessDenied);
        QCOMPARE(registry().deleteTree(RegistryRoot::CurrentUser, base_ + L"\\Parent"),
                 win32::kSuccess);
        QCOMPARE(registry().openKey(RegistryRoot::CurrentUser, base_ + L"\\Parent",
                                    platform::kKeyRead, key),
                 win32::kFileNotFound);
        // An empty path would name the root itself.
        QCOMPARE(registry().deleteTree(RegistryRoot::CurrentUser, L""), win32::kInvalidParameter);
    }

    void deletedValueIsGone() {
        QCOMPARE(reg::writeString(registry(), RegistryRoot::CurrentUser, base_, L"Gone", L"x"),
                 win32::kSuccess);
        std::unique_ptr<platform::RegistryKey> key;
        QCOMPARE(registry().openKey(RegistryRoot::CurrentUser, base_, platform::kKeyAllAccess, key),
                 win32::kSuccess);
        QCOMPARE(key->deleteValue(L"Gone"), win32::kSuccess);
        QCOMPARE(key->queryValue(L"Gone", nullptr, nullptr, nullptr), win32::kFileNotFound);
        QCOMPARE(key->deleteValue(L"Gone"), win32::kFileNotFound);
    }

    // A 32-bit program on 64-bit Windows sees HKLM\Software through WOW6432Node unless it asks
    // for the 64-bit view.
    void viewsAreSeparateOnWow64() {
        if (!platform::systemInfo().isWow64()) {
            QSKIP("a 32-bit system has one registry view");
        }
        const std::wstring path = L"Software\\CorvantaTestView";
        QCOMPARE(reg::writeString(registry(), RegistryRoot::LocalMachine, path, L"Which", L"32"),
                 win32::kSuccess);
        std::unique_ptr<platform::RegistryKey> key;
        QCOMPARE(registry().createKey(RegistryRoot::LocalMachine, path,
                                      platform::kKeyAllAccess | platform::kKeyWow64_64Key, key),
                 win32::kSuccess);
        const std::vector<std::uint8_t> value = reg::encodeString(L"64");
        QCOMPARE(key->setValue(L"Which", platform::kRegSz, value.data(),
                               static_cast<std::uint32_t>(value.size())),
                 win32::kSuccess);
        key.reset();
        std::wstring seen32, seen64;
        QCOMPARE(reg::readString(registry(), RegistryRoot::LocalMachine, path, L"Which", seen32),
                 win32::kSuccess);
        QCOMPARE(reg::readString(registry(), RegistryRoot::LocalMachine, path, L"Which", seen64,
                                 platform::kKeyRead | platform::kKeyWow64_64Key),
                 win32::kSuccess);
        QCOMPARE(seen32, std::wstring(L"32"));
        QCOMPARE(seen64, std::wstring(L"64"));
        QCOMPARE(registry().deleteKey(RegistryRoot::LocalMachine, path, platform::kKeyWow64_64Key),
                 win32::kSuccess);
        QCOMPARE(registry().deleteKey(RegistryRoot::LocalMachine, path, platform::kKeyWow64_32Key),
                 win32::kSuccess);
    }
};

namespace {
const bool registered = registerTest<RegistryBackendTest>("RegistryBackendTest");
}

#include "RegistryBackendTest.moc"
