#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/Registry.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/registry/SimRegistry.h"

using namespace platform;

namespace {

enum class Operation { Open, OpenForWrite, Create, Query, DeleteKey, DeleteTree };

win32::Error perform(Registry& registry, Operation operation, const QString& path,
                     const QString& value) {
    std::unique_ptr<RegistryKey> key;
    const std::wstring keyPath = path.toStdWString();
    switch (operation) {
        case Operation::Open:
            return registry.openKey(RegistryRoot::LocalMachine, keyPath, kKeyRead, key);
        case Operation::OpenForWrite:
            return registry.openKey(RegistryRoot::LocalMachine, keyPath, kKeyWrite, key);
        case Operation::Create:
            return registry.createKey(RegistryRoot::LocalMachine, keyPath, kKeyRead, key);
        case Operation::Query: {
            const win32::Error error =
                registry.openKey(RegistryRoot::LocalMachine, keyPath, kKeyRead, key);
            std::uint32_t size = 0;
            return error != win32::kSuccess
                       ? error
                       : key->queryValue(value.toStdWString(), nullptr, nullptr, &size);
        }
        case Operation::DeleteKey:
            return registry.deleteKey(RegistryRoot::LocalMachine, keyPath, kKeyWow64_64Key);
        case Operation::DeleteTree:
            return registry.deleteTree(RegistryRoot::LocalMachine, keyPath);
    }
    return win32::kInvalidParameter;
}

std::vector<std::uint8_t> bytesOf(const QByteArray& data) {
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

}  // namespace

Q_DECLARE_METATYPE(Operation)

class RegistryTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_machine = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(m_machine->isValid(), qPrintable(m_machine->error()));
        m_registry = std::make_unique<sim::SimRegistry>(m_machine->pc().machine().store());
    }

    void answersLikeWindows_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");
        QTest::addColumn<win32::Error>("expected");
        const QString app = QStringLiteral("SOFTWARE\\Vendor\\App");
        QTest::newRow("open existing key") << Operation::Open << app << "" << win32::kSuccess;
        QTest::newRow("open key in other case") << Operation::Open << "software\\VENDOR\\app\\"
                                                << "" << win32::kSuccess;
        QTest::newRow("open missing key") << Operation::Open << "SOFTWARE\\Nothing"
                                          << "" << win32::kFileNotFound;
        QTest::newRow("open the root") << Operation::Open << ""
                                       << "" << win32::kSuccess;
        QTest::newRow("query value") << Operation::Query << app << "Name" << win32::kSuccess;
        QTest::newRow("query value in other case")
            << Operation::Query << app << "nAME" << win32::kSuccess;
        QTest::newRow("query default value") << Operation::Query << app << "" << win32::kSuccess;
        QTest::newRow("query missing value")
            << Operation::Query << app << "Missing" << win32::kFileNotFound;
        QTest::newRow("open denied key") << Operation::Open << "SOFTWARE\\Locked"
                                         << "" << win32::kAccessDenied;
        QTest::newRow("open below denied key") << Operation::Open << "software\\locked\\inner"
                                               << "" << win32::kAccessDenied;
        QTest::newRow("create below denied key") << Operation::Create << "SOFTWARE\\Locked\\New"
                                                 << "" << win32::kAccessDenied;
        QTest::newRow("read read-only key") << Operation::Query << "SOFTWARE\\Fixed"
                                            << "Setting" << win32::kSuccess;
        QTest::newRow("open read-only key for writing")
            << Operation::OpenForWrite << "SOFTWARE\\Fixed"
            << "" << win32::kAccessDenied;
        QTest::newRow("create below read-only key") << Operation::Create << "SOFTWARE\\Fixed\\New"
                                                    << "" << win32::kAccessDenied;
        QTest::newRow("delete key with subkeys")
            << Operation::DeleteKey << app << "" << win32::kAccessDenied;
        QTest::newRow("delete leaf key") << Operation::DeleteKey << "software\\vendor\\LEAF"
                                         << "" << win32::kSuccess;
        QTest::newRow("delete missing key") << Operation::DeleteKey << "SOFTWARE\\Nothing"
                                            << "" << win32::kFileNotFound;
        QTest::newRow("delete tree") << Operation::DeleteTree << app << "" << win32::kSuccess;
        QTest::newRow("delete tree holding denied key") << Operation::DeleteTree << "SOFTWARE"
                                                        << "" << win32::kAccessDenied;
        QTest::newRow("delete tree of missing key") << Operation::DeleteTree << "SOFTWARE\\Nothing"
                                                    << "" << win32::kFileNotFound;
    }

    void answersLikeWindows() {
        QFETCH(Operation, operation);
        QFETCH(QString, path);
        QFETCH(QString, value);
        QFETCH(win32::Error, expected);
        QCOMPARE(perform(*m_registry, operation, path, value), expected);
    }

    void refusedDeleteChangesNothing() {
        QCOMPARE(m_registry->deleteTree(RegistryRoot::LocalMachine, L"SOFTWARE"),
                 win32::kAccessDenied);
        QCOMPARE(perform(*m_registry, Operation::Open, QStringLiteral("SOFTWARE\\Vendor\\App"), {}),
                 win32::kSuccess);
    }

    void smallBufferAsksForMore() {
        std::unique_ptr<RegistryKey> key;
        QCOMPARE(m_registry->openKey(RegistryRoot::LocalMachine, L"SOFTWARE\\Vendor\\App", kKeyRead,
                                     key),
                 win32::kSuccess);
        std::uint8_t buffer[4] = {};
        std::uint32_t size = sizeof buffer;
        std::uint32_t type = 0;
        QCOMPARE(key->queryValue(L"Name", &type, buffer, &size), win32::kMoreData);
        QCOMPARE(size, std::uint32_t((8 + 1) * 2));  // "Corvanta" and its terminator
        QCOMPARE(type, std::uint32_t(kRegSz));
        std::vector<std::uint8_t> enough(size);
        QCOMPARE(key->queryValue(L"Name", &type, enough.data(), &size), win32::kSuccess);
        QCOMPARE(reg::decodeString(enough.data(), size), std::wstring(L"Corvanta"));
    }

    void valuesRoundTrip_data() {
        QTest::addColumn<std::uint32_t>("type");
        QTest::addColumn<QByteArray>("data");
        const auto utf16 = [](const QString& text) {
            const std::vector<std::uint8_t> bytes = reg::encodeString(text.toStdWString());
            return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
        };
        QTest::newRow("REG_SZ") << std::uint32_t(kRegSz) << utf16(QStringLiteral("Grüße €"));
        QTest::newRow("REG_SZ beyond the BMP")
            << std::uint32_t(kRegSz) << utf16(QString::fromUtf8("\xF0\x9F\x96\xA8 printer"));
        QTest::newRow("REG_SZ without terminator")
            << std::uint32_t(kRegSz) << QByteArray("a\0b", 3);
        QTest::newRow("REG_EXPAND_SZ")
            << std::uint32_t(kRegExpandSz) << utf16(QStringLiteral("%SystemRoot%\\x"));
        QTest::newRow("REG_MULTI_SZ")
            << std::uint32_t(kRegMultiSz)
            << utf16(QStringLiteral("one")) + utf16("two") + QByteArray(2, '\0');
        QTest::newRow("REG_DWORD") << std::uint32_t(kRegDword) << QByteArray("\x78\x56\x34\x12", 4);
        QTest::newRow("REG_DWORD of three bytes")
            << std::uint32_t(kRegDword) << QByteArray("\x01\x02\x03", 3);
        QTest::newRow("REG_QWORD above 2^53")
            << std::uint32_t(kRegQword) << QByteArray("\xff\xff\xff\xff\xff\xff\xff\x7f", 8);
        QTest::newRow("REG_BINARY") << std::uint32_t(kRegBinary) << QByteArray("\x00\xff\x10", 3);
        QTest::newRow("REG_BINARY empty") << std::uint32_t(kRegBinary) << QByteArray();
        QTest::newRow("REG_NONE") << std::uint32_t(kRegNone) << QByteArray("\x01", 1);
        QTest::newRow("unknown type 9") << std::uint32_t(9) << QByteArray("\x02\x03", 2);
    }

    void valuesRoundTrip() {
        QFETCH(std::uint32_t, type);
        QFETCH(QByteArray, data);
        std::unique_ptr<RegistryKey> key;
        QCOMPARE(m_registry->createKey(RegistryRoot::CurrentUser, L"Software\\RoundTrip",
                                       kKeyAllAccess, key),
                 win32::kSuccess);
        const std::vector<std::uint8_t> bytes = bytesOf(data);
        QCOMPARE(key->setValue(L"V", type, bytes.data(), std::uint32_t(bytes.size())),
                 win32::kSuccess);
        // A fresh machine object reads the state back from disk.
        QString error;
        const auto reopened = sim::Machine::open(m_machine->directory(),
                                                 platform::sim::registeredFacilities(), error);
        QVERIFY2(reopened, qPrintable(error));
        sim::SimRegistry again(reopened->store());
        std::unique_ptr<RegistryKey> readKey;
        QCOMPARE(
            again.openKey(RegistryRoot::CurrentUser, L"SOFTWARE\\roundtrip", kKeyRead, readKey),
            win32::kSuccess);
        std::uint32_t readType = 0;
        std::uint32_t size = 1024;
        std::vector<std::uint8_t> buffer(size);
        QCOMPARE(readKey->queryValue(L"v", &readType, buffer.data(), &size), win32::kSuccess);
        buffer.resize(size);
        QCOMPARE(readType, type);
        QCOMPARE(buffer, bytes);
    }

    void enumeratesWithStoredCase() {
        std::unique_ptr<RegistryKey> key;
        QCOMPARE(
            m_registry->openKey(RegistryRoot::LocalMachine, L"software\\vendor", kKeyRead, key),
            win32::kSuccess);
        std::vector<std::wstring> names;
        QCOMPARE(key->subkeyNames(names), win32::kSuccess);
        QCOMPARE(names, (std::vector<std::wstring>{L"App", L"Leaf"}));
        QCOMPARE(m_registry->openKey(RegistryRoot::LocalMachine, L"software\\vendor\\app",
                                     kKeyRead | kKeySetValue, key),
                 win32::kSuccess);
        // Writing a value in another case keeps the name it was first written with.
        const std::vector<std::uint8_t> data = reg::encodeString(L"new");
        QCOMPARE(key->setValue(L"NAME", kRegSz, data.data(), std::uint32_t(data.size())),
                 win32::kSuccess);
        QCOMPARE(key->valueNames(names), win32::kSuccess);
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::wstring>{L"", L"Count", L"Name"}));
    }

    void keyDeletedUnderAnOpenHandle() {
        std::unique_ptr<RegistryKey> key;
        QCOMPARE(m_registry->openKey(RegistryRoot::LocalMachine, L"SOFTWARE\\Vendor\\Leaf",
                                     kKeyAllAccess, key),
                 win32::kSuccess);
        QCOMPARE(m_registry->deleteKey(RegistryRoot::LocalMachine, L"SOFTWARE\\Vendor\\Leaf", 0),
                 win32::kSuccess);
        std::vector<std::wstring> names;
        QCOMPARE(key->valueNames(names), win32::kKeyDeleted);
        const std::vector<std::uint8_t> data = reg::encodeString(L"x");
        QCOMPARE(key->setValue(L"x", kRegSz, data.data(), std::uint32_t(data.size())),
                 win32::kKeyDeleted);
    }

    void accessRightsOfTheHandle() {
        std::unique_ptr<RegistryKey> key;
        QCOMPARE(m_registry->openKey(RegistryRoot::LocalMachine, L"SOFTWARE\\Vendor\\App", kKeyRead,
                                     key),
                 win32::kSuccess);
        const std::vector<std::uint8_t> data = reg::encodeString(L"x");
        QCOMPARE(key->setValue(L"x", kRegSz, data.data(), std::uint32_t(data.size())),
                 win32::kAccessDenied);
        QCOMPARE(key->deleteValue(L"Name"), win32::kAccessDenied);
    }

    void typedHelpers() {
        QCOMPARE(
            reg::writeString(*m_registry, RegistryRoot::CurrentUser, L"Software\\H", L"S", L"text"),
            win32::kSuccess);
        QCOMPARE(reg::writeDword(*m_registry, RegistryRoot::CurrentUser, L"Software\\H", L"D",
                                 0xDEADBEEF),
                 win32::kSuccess);
        std::wstring text;
        std::uint32_t number = 0;
        QCOMPARE(
            reg::readString(*m_registry, RegistryRoot::CurrentUser, L"software\\h", L"s", text),
            win32::kSuccess);
        QCOMPARE(text, std::wstring(L"text"));
        QCOMPARE(
            reg::readDword(*m_registry, RegistryRoot::CurrentUser, L"Software\\H", L"D", number),
            win32::kSuccess);
        QCOMPARE(number, 0xDEADBEEFu);
        QCOMPARE(
            reg::readDword(*m_registry, RegistryRoot::CurrentUser, L"Software\\H", L"S", number),
            win32::kInvalidData);
        QCOMPARE(
            reg::readString(*m_registry, RegistryRoot::CurrentUser, L"Software\\H", L"none", text),
            win32::kFileNotFound);
    }

    void multiStringCodec() {
        const std::vector<std::wstring> strings{L"a", L"\U0001F5A8", L"long string"};
        const std::vector<std::uint8_t> bytes = reg::encodeMultiString(strings);
        QCOMPARE(reg::decodeMultiString(bytes.data(), std::uint32_t(bytes.size())), strings);
        const std::vector<std::uint8_t> empty = reg::encodeMultiString({});
        QVERIFY(reg::decodeMultiString(empty.data(), std::uint32_t(empty.size())).empty());
    }

private:
    std::unique_ptr<PcFolder> m_machine;
    std::unique_ptr<sim::SimRegistry> m_registry;
};

namespace {
const bool registered = registerTest<RegistryTest>("RegistryTest");
}  // namespace

#include "RegistryTest.moc"
