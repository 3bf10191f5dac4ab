// The device-ID query against an agent on a loopback address that answers what a test tells it
// to: a proper device ID, values of other types, an error status, and bytes that are no SNMP
// message at all. Needs root for the agent's port 161.
#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <thread>

#include "TestMain.h"
#include "netscan/SnmpDeviceId.h"
#include "platform/posix/UniqueFd.h"

namespace {

constexpr char kAgentAddress[] = "127.0.0.61";
constexpr std::uint16_t kSnmpPort = 161;
constexpr int kPollMs = 50;
// The library's own timeout and retries (1 s, 5 retries) and then some for a loaded machine.
constexpr int kQueryLimitMs = 20000;

// One BER element: tag, then the length in short or long form, then the content.
QByteArray element(char tag, const QByteArray& content) {
    QByteArray out(1, tag);
    const int length = content.size();
    if (length < 0x80) {
        out += char(length);
    } else if (length <= 0xFF) {
        out += char(0x81);
        out += char(length);
    } else {
        out += char(0x82);
        out += char(length >> 8);
        out += char(length & 0xFF);
    }
    return out + content;
}

// The element at `position`: its whole bytes in `whole`, its content in `content`.
bool readElement(const QByteArray& bytes, int& position, QByteArray& whole, QByteArray& content) {
    const int start = position;
    if (position + 2 > bytes.size()) {
        return false;
    }
    int length = quint8(bytes[position + 1]);
    position += 2;
    if (length & 0x80) {
        const int octets = length & 0x7F;
        if (octets == 0 || octets > 2 || position + octets > bytes.size()) {
            return false;
        }
        length = 0;
        for (int i = 0; i < octets; ++i) {
            length = (length << 8) | quint8(bytes[position++]);
        }
    }
    if (position + length > bytes.size()) {
        return false;
    }
    content = bytes.mid(position, length);
    position += length;
    whole = bytes.mid(start, position - start);
    return true;
}

// The request ID and the asked-for object name of a GET, as their whole elements.
bool readGet(const QByteArray& request, QByteArray& requestId, QByteArray& name) {
    QByteArray whole, message, skipped, pdu, bindings, binding;
    int at = 0;
    if (!readElement(request, at, whole, message)) {
        return false;
    }
    at = 0;
    if (!readElement(message, at, whole, skipped) || !readElement(message, at, whole, skipped) ||
        !readElement(message, at, whole, pdu)) {
        return false;
    }
    at = 0;
    if (!readElement(pdu, at, requestId, skipped) || !readElement(pdu, at, whole, skipped) ||
        !readElement(pdu, at, whole, skipped) || !readElement(pdu, at, whole, bindings)) {
        return false;
    }
    at = 0;
    if (!readElement(bindings, at, whole, binding)) {
        return false;
    }
    at = 0;
    return readElement(binding, at, name, skipped);
}

// An SNMPv1 response to the request with `value` (a whole element) for its object.
QByteArray response(const QByteArray& request, const QByteArray& value, int errorStatus) {
    QByteArray requestId, name;
    if (!readGet(request, requestId, name)) {
        return QByteArray();
    }
    const QByteArray bindings = element(0x30, element(0x30, name + value));
    const QByteArray pdu =
        element(char(0xA2), requestId + element(0x02, QByteArray(1, char(errorStatus))) +
                                element(0x02, QByteArray(1, 0)) + bindings);
    return element(0x30, element(0x02, QByteArray(1, 0)) + element(0x04, "public") + pdu);
}

// What the agent sends for each request: raw datagrams, or "<answer>" for the response that
// carries the test's value.
struct Script {
    QList<QByteArray> datagrams;
    QByteArray value;
    int errorStatus = 0;
};
const QByteArray kAnswer("<answer>");

class LoopbackAgent {
public:
    bool start(const Script& script) {
        m_socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kSnmpPort);
        ::inet_pton(AF_INET, kAgentAddress, &address.sin_addr);
        if (!m_socket.valid() ||
            ::bind(m_socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            return false;
        }
        m_thread = std::thread([this, script] { serve(script); });
        return true;
    }
    ~LoopbackAgent() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    void serve(const Script& script) {
        while (!m_stop) {
            pollfd ready{m_socket.get(), POLLIN, 0};
            if (::poll(&ready, 1, kPollMs) <= 0) {
                continue;
            }
            QByteArray request(4096, 0);
            sockaddr_in peer{};
            socklen_t peerLength = sizeof peer;
            const ssize_t size = ::recvfrom(m_socket.get(), request.data(), request.size(), 0,
                                            reinterpret_cast<sockaddr*>(&peer), &peerLength);
            if (size <= 0) {
                continue;
            }
            request.resize(int(size));
            for (const QByteArray& datagram : script.datagrams) {
                const QByteArray bytes = datagram == kAnswer
                                             ? response(request, script.value, script.errorStatus)
                                             : datagram;
                ::sendto(m_socket.get(), bytes.constData(), bytes.size(), 0,
                         reinterpret_cast<sockaddr*>(&peer), peerLength);
            }
        }
    }

    platform::posix::UniqueFd m_socket;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

QByteArray octetString(const QByteArray& bytes) {
    return element(0x04, bytes);
}

}  // namespace

Q_DECLARE_METATYPE(Script)

class SnmpAgentTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("deviceId");
        const QByteArray id("MFG:Maker;MDL:Printer 7;CMD:PCL;");
        const QByteArray garbage("\x30\x05\x02\x01\x00\x04\xff junk", 12);
        QTest::newRow("a device ID") << Script{{kAnswer}, octetString(id)} << 0 << id;
        QTest::newRow("a zero byte ends the ID")
            << Script{{kAnswer}, octetString(QByteArray("MFG:A;\0MDL:B;", 13))} << 0
            << QByteArray("MFG:A;");
        QTest::newRow("an empty string") << Script{{kAnswer}, octetString("")} << 0 << QByteArray();
        QTest::newRow("an INTEGER instead of a string")
            << Script{{kAnswer}, element(0x02, "\x07")} << int(netscan::kSnmpNotOctetString)
            << QByteArray();
        QTest::newRow("a NULL value") << Script{{kAnswer}, element(0x05, "")}
                                      << int(netscan::kSnmpNotOctetString) << QByteArray();
        QTest::newRow("an object ID value") << Script{{kAnswer}, element(0x06, "\x2b\x06\x01")}
                                            << int(netscan::kSnmpNotOctetString) << QByteArray();
        QTest::newRow("error status noSuchName")
            << Script{{kAnswer}, element(0x05, ""), 2} << int(netscan::kSnmpFailed) << QByteArray();
        QTest::newRow("garbage first, then the answer")
            << Script{{garbage, QByteArray(300, '\xff'), kAnswer}, octetString(id)} << 0 << id;
        QTest::newRow("nothing but garbage: the library's timeout")
            << Script{{garbage}, QByteArray()} << int(netscan::kSnmpTimeout) << QByteArray();
    }

    void answers() {
        QFETCH(Script, script);
        QFETCH(int, outcome);
        QFETCH(QByteArray, deviceId);
        LoopbackAgent agent;
        if (!agent.start(script)) {
            QSKIP("needs root for an agent on UDP port 161 of 127.0.0.61");
        }
        QElapsedTimer timer;
        timer.start();
        std::string id = "stale";
        QCOMPARE(netscan::queryDeviceId(kAgentAddress, id), outcome);
        QCOMPARE(QByteArray::fromStdString(id), deviceId);
        QVERIFY2(timer.elapsed() < kQueryLimitMs, "the query outlived the library's timeout");
    }
};

namespace {
const bool registered = registerTest<SnmpAgentTest>("SnmpAgentTest");
}

#include "SnmpAgentTest.moc"
