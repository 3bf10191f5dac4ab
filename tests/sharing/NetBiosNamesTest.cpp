// The NetBIOS node status request and the reading of its answers.
#include <QtTest>

#include "TestMain.h"
#include "sharing/NetBiosNames.h"

namespace {

struct Name {
    QByteArray text;  // up to 15 bytes, padded with spaces
    quint8 suffix;
    quint16 flags;
};

constexpr quint16 kGroup = 0x8000;
constexpr quint16 kUnique = 0x0400;  // an active unique name

// A node status response with `names`, `statsBytes` of statistics after them, and the name
// count byte set to `count` (the real count when negative).
std::vector<std::uint8_t> response(const QList<Name>& names, int count = -1, int statsBytes = 46) {
    std::vector<std::uint8_t> bytes(56, 0);
    bytes[0] = 0x80;
    bytes[1] = 0x94;
    bytes.push_back(static_cast<std::uint8_t>(count < 0 ? names.size() : count));
    for (const Name& name : names) {
        QByteArray text = name.text.leftJustified(15, ' ', true);
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(name.suffix);
        bytes.push_back(static_cast<std::uint8_t>(name.flags >> 8));
        bytes.push_back(static_cast<std::uint8_t>(name.flags & 0xFF));
    }
    bytes.insert(bytes.end(), static_cast<std::size_t>(statsBytes), 0);
    return bytes;
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<std::uint8_t>)

class NetBiosNamesTest : public QObject {
    Q_OBJECT

private slots:
    void requestIsTheWildcardNodeStatusQuery() {
        const std::vector<std::uint8_t> request = sharing::nodeStatusRequest();
        QCOMPARE(request.size(), std::size_t(50));
        const QByteArray bytes(reinterpret_cast<const char*>(request.data()), 50);
        QCOMPARE(bytes.left(12), QByteArray("\x80\x94\0\0\0\x01\0\0\0\0\0\0", 12));
        QCOMPARE(bytes.mid(12, 34), QByteArray("\x20"
                                               "CK") +
                                        QByteArray(30, 'A') + '\0');
        QCOMPARE(bytes.mid(46), QByteArray("\0\x21\0\x01", 4));
    }

    void answers_data() {
        QTest::addColumn<std::vector<std::uint8_t>>("answer");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("deviceName");
        QTest::addColumn<QString>("group");

        const Name host{"FAKEPRN20", 0x00, kUnique};
        const Name server{"FAKEPRN20", 0x20, kUnique};
        const Name workgroup{"TESTWG", 0x00, kGroup | kUnique};
        const Name browser{"TESTWG", 0x1E, kGroup};

        QTest::newRow("host, server, workgroup")
            << response({host, server, workgroup, browser}) << true << "FAKEPRN20"
            << "TESTWG";
        QTest::newRow("workgroup listed first")
            << response({workgroup, host}) << true << "FAKEPRN20"
            << "TESTWG";
        QTest::newRow("a later unique name counts as the group")
            << response({host, Name{"SECOND", 0x00, kUnique}}) << true << "FAKEPRN20"
            << "SECOND";
        QTest::newRow("the last group name wins")
            << response({host, workgroup, Name{"OTHERWG", 0x00, kGroup}}) << true << "FAKEPRN20"
            << "OTHERWG";
        QTest::newRow("only names of other suffixes") << response({server, browser}) << true << ""
                                                      << "";
        QTest::newRow("spaces around a name")
            << response({Name{"  PC 7", 0x00, kUnique}}) << true << "PC 7"
            << "";
        QTest::newRow("a name cut at its zero byte")
            << response({Name{QByteArray("PC\0JUNK", 7), 0x00, kUnique}}) << true << "PC"
            << "";
        QTest::newRow("no names") << response({}) << true << ""
                                  << "";
        QTest::newRow("89 bytes") << response({host}, -1, 14) << false << ""
                                  << "";
        QTest::newRow("90 bytes") << response({host}, -1, 15) << true << "FAKEPRN20"
                                  << "";
        QTest::newRow("empty") << std::vector<std::uint8_t>() << false << ""
                               << "";
        QTest::newRow("count beyond the data") << response({host, workgroup}, 40, 0) << false << ""
                                               << "";
        QTest::newRow("count exactly the data")
            << response({host, server, workgroup}, 3, 0) << true << "FAKEPRN20"
            << "TESTWG";
        QTest::newRow("count 255 on a short answer")
            << response({host, workgroup}, 255) << false << ""
            << "";
    }

    void answers() {
        QFETCH(std::vector<std::uint8_t>, answer);
        QFETCH(bool, usable);
        QFETCH(QString, deviceName);
        QFETCH(QString, group);
        sharing::NetBiosNames names;
        names.deviceName = "stale";
        QCOMPARE(sharing::parseNodeStatus(answer, names), usable);
        QCOMPARE(QString::fromStdString(names.deviceName), deviceName);
        QCOMPARE(QString::fromStdString(names.group), group);
    }
};

namespace {
const bool registered = registerTest<NetBiosNamesTest>("NetBiosNamesTest");
}  // namespace

#include "NetBiosNamesTest.moc"
