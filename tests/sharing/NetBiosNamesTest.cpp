// The NetBIOS node status request and the reading of its answers.
#include <QtTest>

#include "TestMain.h"
#include "platform/Sockets.h"
#include "platform/posix/UniqueFd.h"
#include "sharing/NetBiosNames.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <thread>

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

constexpr char kHostAddress[] = "127.0.0.71";
constexpr char kThirdAddress[] = "127.0.0.72";
constexpr int kHostWaitMs = 5000;

// A UDP socket on `address` and a port the system picks.
platform::posix::UniqueFd boundSocket(const char* address, std::uint16_t& port) {
    platform::posix::UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &local.sin_addr);
    socklen_t length = sizeof local;
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return platform::posix::UniqueFd();
    }
    port = ntohs(local.sin_port);
    return socket;
}

// Who answers the query the host received, in this order.
enum Sender { kThirdHost, kHostFromAnotherPort, kHost };

}  // namespace

Q_DECLARE_METATYPE(std::vector<std::uint8_t>)
Q_DECLARE_METATYPE(QList<Sender>)

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

    // The query's socket is connected to the host: an answer from any other address or port
    // (a third host on the LAN, a spoofer) is never read as the host's.
    void answersFromElsewhereAreNotTheHosts_data() {
        QTest::addColumn<QList<Sender>>("senders");
        QTest::addColumn<int>("error");
        QTest::newRow("a third address only: timed out")
            << QList<Sender>{kThirdHost} << platform::sockets::kWsaTimedOut;
        QTest::newRow("the host's address from another port: timed out")
            << QList<Sender>{kHostFromAnotherPort} << platform::sockets::kWsaTimedOut;
        QTest::newRow("a third address, then the host: the host's answer")
            << QList<Sender>{kThirdHost, kHostFromAnotherPort, kHost} << 0;
    }

    void answersFromElsewhereAreNotTheHosts() {
        QFETCH(QList<Sender>, senders);
        QFETCH(int, error);
        std::uint16_t hostPort = 0, otherPort = 0, thirdPort = 0;
        const platform::posix::UniqueFd host = boundSocket(kHostAddress, hostPort);
        const platform::posix::UniqueFd other = boundSocket(kHostAddress, otherPort);
        const platform::posix::UniqueFd third = boundSocket(kThirdAddress, thirdPort);
        QVERIFY(host.valid() && other.valid() && third.valid());
        const Name hostName{"REALHOST", 0x00, kUnique};
        const Name spoofed{"SPOOFED", 0x00, kUnique};
        const std::vector<std::uint8_t> hostAnswer = response({hostName});
        const std::vector<std::uint8_t> spoofedAnswer = response({spoofed});

        std::thread answering([&] {
            pollfd ready{host.get(), POLLIN, 0};
            if (::poll(&ready, 1, kHostWaitMs) != 1) {
                return;
            }
            std::uint8_t request[512];
            sockaddr_in client{};
            socklen_t length = sizeof client;
            if (::recvfrom(host.get(), request, sizeof request, 0,
                           reinterpret_cast<sockaddr*>(&client), &length) <= 0) {
                return;
            }
            for (const Sender sender : senders) {
                const int from = sender == kThirdHost             ? third.get()
                                 : sender == kHostFromAnotherPort ? other.get()
                                                                  : host.get();
                const std::vector<std::uint8_t>& bytes =
                    sender == kHost ? hostAnswer : spoofedAnswer;
                ::sendto(from, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&client),
                         length);
            }
        });
        std::vector<std::uint8_t> reply;
        const int result = platform::sockets::exchangeDatagram(
            platform::sockets::parseAddress(kHostAddress), hostPort, sharing::nodeStatusRequest(),
            sharing::kNetBiosTimeoutMs, 1024, reply);
        answering.join();
        QCOMPARE(result, error);
        sharing::NetBiosNames names;
        sharing::parseNodeStatus(reply, names);
        QCOMPARE(QString::fromStdString(names.deviceName),
                 error == 0 ? QString("REALHOST") : QString());
    }
};

namespace {
const bool registered = registerTest<NetBiosNamesTest>("NetBiosNamesTest");
}  // namespace

#include "NetBiosNamesTest.moc"
