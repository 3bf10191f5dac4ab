// A host on a loopback address that gives its NetBIOS names but whose SMB port takes the
// connection and never says a word: the listing is given up after its two seconds and the probe
// reports the host as timed out, with the names it did give. Needs root for ports 137 and 445.
#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <thread>

#include "PcFolder.h"
#include "TestMain.h"
#include "platform/NetConnections.h"
#include "platform/posix/UniqueFd.h"
#include "sharing/HostShares.h"

namespace {

constexpr char kSilentHost[] = "127.0.0.73";
constexpr std::uint16_t kNetBiosPort = 137;
constexpr std::uint16_t kSmbPort = 445;
constexpr int kPollMs = 50;
// The listing's own limit and then some for a loaded machine; the library's own time-out is
// longer (5 s), so an answer within this shows the limit at work.
constexpr int kProbeLimitMs = sharing::kShareListingTimeoutMs + 2500;

platform::posix::UniqueFd boundSocket(int type, std::uint16_t port) {
    platform::posix::UniqueFd socket(::socket(AF_INET, type | SOCK_CLOEXEC, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, kSilentHost, &local.sin_addr);
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        return platform::posix::UniqueFd();
    }
    return socket;
}

// A node status response with the unique name "SILENT" and the group "TESTWG".
std::vector<std::uint8_t> nodeStatusAnswer() {
    std::vector<std::uint8_t> bytes(56, 0);
    bytes[0] = 0x80;
    bytes[1] = 0x94;
    bytes.push_back(2);
    const std::pair<QByteArray, std::uint16_t> names[] = {{"SILENT", 0x0400}, {"TESTWG", 0x8400}};
    for (const auto& [text, flags] : names) {
        const QByteArray padded = text.leftJustified(15, ' ');
        bytes.insert(bytes.end(), padded.begin(), padded.end());
        bytes.push_back(0x00);
        bytes.push_back(static_cast<std::uint8_t>(flags >> 8));
        bytes.push_back(static_cast<std::uint8_t>(flags & 0xFF));
    }
    bytes.insert(bytes.end(), 46, 0);
    return bytes;
}

// Answers every node status query on port 137 until it goes.
class NameResponder {
public:
    explicit NameResponder(platform::posix::UniqueFd socket) : m_socket(std::move(socket)) {
        m_thread = std::thread([this] { serve(); });
    }
    ~NameResponder() {
        m_stop = true;
        m_thread.join();
    }

private:
    void serve() {
        const std::vector<std::uint8_t> answer = nodeStatusAnswer();
        while (!m_stop) {
            pollfd ready{m_socket.get(), POLLIN, 0};
            if (::poll(&ready, 1, kPollMs) <= 0) {
                continue;
            }
            std::uint8_t request[512];
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            if (::recvfrom(m_socket.get(), request, sizeof request, 0,
                           reinterpret_cast<sockaddr*>(&peer), &length) > 0) {
                ::sendto(m_socket.get(), answer.data(), answer.size(), 0,
                         reinterpret_cast<sockaddr*>(&peer), length);
            }
        }
    }

    platform::posix::UniqueFd m_socket;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

}  // namespace

class SilentSmbHostTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fixtureAsProcessPc(QStringLiteral("pc-without-printers")); }

    void probeOfAHostWhoseSmbNeverAnswers() {
        platform::posix::UniqueFd names = boundSocket(SOCK_DGRAM, kNetBiosPort);
        // Connections are taken by the kernel into the backlog and never accepted or answered.
        platform::posix::UniqueFd smb = boundSocket(SOCK_STREAM, kSmbPort);
        if (!names.valid() || !smb.valid() || ::listen(smb.get(), 8) != 0) {
            QSKIP("needs root for UDP 137 and TCP 445 on 127.0.0.73");
        }
        const NameResponder responder(std::move(names));
        QElapsedTimer timer;
        timer.start();
        const sharing::HostShareRecord record = sharing::probeHostSharesAt(kSilentHost);
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(record.code, int(sharing::kHostTimedOut));
        QCOMPARE(QString::fromStdString(record.deviceName), QString("SILENT"));
        QCOMPARE(QString::fromStdString(record.group), QString("TESTWG"));
        QVERIFY(record.printerNames.empty());
        QVERIFY2(elapsed < kProbeLimitMs, qPrintable(QString("took %1 ms").arg(elapsed)));
        waitForTheAbandonedListing(std::move(smb));
    }

private:
    // The listing given up above still runs on its own thread and logs when it ends. Left to
    // end on its own, it may log while QtTest tears its logger down after the last test, and so
    // crash the run. Closing the port ends it at once; a second listing waits for the library
    // lock that the first one holds until it has ended, so its answer comes after the first's.
    static void waitForTheAbandonedListing(platform::posix::UniqueFd smb) {
        smb = platform::posix::UniqueFd();
        QVERIFY(QTest::qWaitFor(
            [] { return sharing::probeHostSharesAt(kSilentHost).code != sharing::kHostTimedOut; },
            3 * kProbeLimitMs));
    }
};

namespace {
const bool registered = registerTest<SilentSmbHostTest>("SilentSmbHostTest");
}

#include "SilentSmbHostTest.moc"
