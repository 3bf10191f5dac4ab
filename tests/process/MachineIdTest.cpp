#include <QtTest>

#include "TestMain.h"
#include "process/MachineId.h"

using Address = std::vector<std::uint8_t>;
using AddressList = std::vector<Address>;
Q_DECLARE_METATYPE(AddressList)

namespace {

// CPUID leaf 0 of an Intel processor: max leaf 13, "GenuineIntel".
constexpr std::array<std::uint32_t, 4> kIntelLeaf0 = {0xD, 0x756E6547, 0x6C65746E, 0x49656E69};
const Address kFirstMac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const Address kSecondMac = {0x52, 0x54, 0x00, 0x12, 0x34, 0x56};

}  // namespace

// Expected values worked out from the algorithm:
//   cpu = sum of (v + (v >> 16)) over the registers, low 16 bits:
//         0x000D + 0xDAB5 + 0xE0D3 + 0xB7CE = 160611 -> 29539
//   vol = 0x1234ABCD + 0x1234 = 0x1234BE01 -> 0xBE01 = 48641
//   00:1A:2B:3C:4D:5E as little-endian words: 0x1A00 + 0x3C2B + 0x5E4D = 46200
//   52:54:00:12:34:56: 0x5452 + 0x1200 + 0x5634 = 48262
//   the text is name, cpu, vol, lo, hi; h = c + 33 * h from 5381, shown as signed 32-bit.
class MachineIdTest : public QObject {
    Q_OBJECT

private slots:
    void fingerprint_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("serial");
        QTest::addColumn<AddressList>("adapters");
        QTest::addColumn<QString>("expected");
        // text "PC129539486414620048262"
        QTest::newRow("two adapters") << "PC1" << 0x1234ABCDu << AddressList{kFirstMac, kSecondMac}
                                      << "-1887945890-46200-48262";
        QTest::newRow("larger first") << "PC1" << 0x1234ABCDu << AddressList{kSecondMac, kFirstMac}
                                      << "-1887945890-46200-48262";
        // text "PC1295394864151046200": a missing second adapter counts 510
        QTest::newRow("one adapter")
            << "PC1" << 0x1234ABCDu << AddressList{kFirstMac} << "-1689148082-510-46200";
        // text "PC12953948641": no adapter part, lo = hi = 1024
        QTest::newRow("no adapters")
            << "PC1" << 0x1234ABCDu << AddressList{} << "320980444-1024-1024";
    }
    void fingerprint() {
        QFETCH(QString, name);
        QFETCH(quint32, serial);
        QFETCH(AddressList, adapters);
        QFETCH(QString, expected);
        process::FingerprintInputs inputs;
        inputs.computerName = name;
        inputs.cpuidLeaf0 = kIntelLeaf0;
        inputs.volumeSerial = serial;
        inputs.adapterAddresses = adapters;
        QCOMPARE(process::machineFingerprint(inputs), expected);
    }

    // Non-ASCII names hash by UTF-16 unit; an odd address length adds its last byte unchanged
    // (01 02 03 04 05: 0x0201 + 0x0403 + 0x05 = 1545). Text "Ünïcode-PC005101545".
    void fingerprintOfOddAddressAndWideName() {
        process::FingerprintInputs inputs;
        inputs.computerName = QStringLiteral("\u00DCn\u00EFcode-PC");
        inputs.adapterAddresses = {{1, 2, 3, 4, 5}};
        QCOMPARE(process::machineFingerprint(inputs), QStringLiteral("1880540062-510-1545"));
    }

    void identifierIsStableWithinARun() {
        const QString first = process::machineIdentifier();
        QVERIFY(!first.isEmpty());
        QCOMPARE(process::machineIdentifier(), first);
    }
};

namespace {
const bool registered = registerTest<MachineIdTest>("MachineIdTest");
}
#include "MachineIdTest.moc"
