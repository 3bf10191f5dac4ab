// Remote host shares and log-ons against the namespace LAN of the testbed's lan.sh: real nmbd
// and smbd hosts, a dead host, and a client namespace this test process moves into (threads it
// starts afterwards are in it too), where no name lookup can leave the machine.
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "TestMain.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include "PcFolder.h"
#include "platform/NetConnections.h"
#include "platform/Sockets.h"
#include "platform/Spooler.h"
#include "platform/posix/UniqueFd.h"
#include "sharing/HostShares.h"
#include "sharing/NetBiosNames.h"

namespace {

constexpr const char* kGuestHost = "10.200.0.20";     // FAKEPRN20: LaserJet and Scans, guests
constexpr const char* kPasswordHost = "10.200.0.21";  // FAKEPRN21: lists to daemon only
constexpr const char* kSnmpHost = "10.200.0.5";       // alive, but no NetBIOS and no SMB
constexpr const char* kDeadHost = "10.200.0.77";      // nothing answers there
constexpr const char* kUser = "daemon";
constexpr const char* kPassword = "Secret123";
constexpr const char* kClientNamespace = "/var/run/netns/clan-cli";

QString lanScript() {
    return QStringLiteral(CORVANTA_TESTBED_DIR "/lan.sh");
}

bool runLan(const QString& command) {
    QProcess lan;
    lan.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lan.start(QStringLiteral("/bin/bash"), {lanScript(), command});
    return lan.waitForFinished(60000) && lan.exitCode() == 0;
}

std::uint32_t address(const char* text) {
    return platform::sockets::parseAddress(text);
}

// The LAN is ready once both SMB hosts answer NetBIOS (bridge ports forward after a second or
// two) and have listed their shares once (Samba starts its RPC helpers on the first listing,
// which on a busy machine can take longer than a probe waits).
bool waitForSmbHosts() {
    QElapsedTimer timer;
    timer.start();
    for (const char* host : {kGuestHost, kPasswordHost}) {
        sharing::NetBiosNames names;
        while (sharing::queryNetBiosNames(address(host), 1000, names) != 0) {
            if (timer.hasExpired(30000)) {
                return false;
            }
        }
        std::vector<platform::ShareInfo1> shares;
        std::uint32_t resume = 0;
        platform::netConnections().shareEnum(QString(host).toStdWString(), shares, resume);
    }
    return true;
}

sharing::HostShareRecord probe(const char* host) {
    sharing::HostShareRecord record;
    record.code = sharing::probeHostShares(address(host), record);
    return record;
}

QStringList printerNames(const sharing::HostShareRecord& record) {
    QStringList names;
    for (const std::wstring& name : record.printerNames) {
        names << QString::fromStdWString(name);
    }
    return names;
}

}  // namespace

class HostSharesLanTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (::geteuid() != 0 || QStandardPaths::findExecutable("nmbd", {"/usr/sbin"}).isEmpty() ||
            !QFileInfo::exists(lanScript())) {
            QSKIP(
                "needs root, Samba (apt-get install samba smbclient iproute2) and the testbed's "
                "lan.sh; run the test as root on such a machine to probe real SMB hosts");
        }
        if (QFileInfo::exists(kClientNamespace)) {
            QSKIP("the namespace LAN is up already (another run uses it); run lan.sh ns-down");
        }
        m_started = runLan(QStringLiteral("ns-up"));
        QVERIFY2(m_started, "lan.sh ns-up failed");
        m_home.reset(::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC));
        platform::posix::UniqueFd client(::open(kClientNamespace, O_RDONLY | O_CLOEXEC));
        QVERIFY(m_home.valid() && client.valid());
        QVERIFY2(::setns(client.get(), CLONE_NEWNET) == 0, "setns into clan-cli failed");
        fixtureAsProcessPc(QStringLiteral("pc-without-printers"));
        QVERIFY2(waitForSmbHosts(), "the SMB hosts of the namespace LAN did not come up");
    }

    void cleanupTestCase() {
        if (m_home.valid()) {
            ::setns(m_home.get(), CLONE_NEWNET);
        }
        if (m_started) {
            runLan(QStringLiteral("ns-down"));
        }
    }

    void cleanup() {
        for (const char* host : {kGuestHost, kPasswordHost}) {
            sharing::netCancelConnection(host);
        }
    }

    void guestHostListsOnlyItsPrinter() {
        const sharing::HostShareRecord record = probe(kGuestHost);
        QCOMPARE(record.code, int(sharing::kSharesListed));
        QCOMPARE(QString::fromStdString(record.ip), QString(kGuestHost));
        QCOMPARE(QString::fromStdString(record.deviceName), QStringLiteral("FAKEPRN20"));
        QCOMPARE(QString::fromStdString(record.group), QStringLiteral("TESTWG"));
        QCOMPARE(printerNames(record), QStringList{QStringLiteral("LaserJet")});
    }

    void passwordHostNeedsALogOn() {
        sharing::HostShareRecord record = probe(kPasswordHost);
        QCOMPARE(record.code, int(sharing::kSharesRefused));
        QCOMPARE(QString::fromStdString(record.deviceName), QStringLiteral("FAKEPRN21"));
        QCOMPARE(QString::fromStdString(record.group), QStringLiteral("TESTWG"));
        QVERIFY(record.printerNames.empty());

        QCOMPARE(sharing::netAddConnection(kPasswordHost, kUser, "wrong"), 1326u);
        QCOMPARE(probe(kPasswordHost).code, int(sharing::kSharesRefused));

        QCOMPARE(sharing::netAddConnection(kPasswordHost, kUser, kPassword), 0u);
        record = probe(kPasswordHost);
        QCOMPARE(record.code, int(sharing::kSharesListed));
        QCOMPARE(printerNames(record), QStringList{QStringLiteral("LaserJet")});

        QCOMPARE(sharing::netCancelConnection(kPasswordHost), 0u);
        QCOMPARE(probe(kPasswordHost).code, int(sharing::kSharesRefused));
        QCOMPARE(sharing::netCancelConnection(kPasswordHost), 2250u);
    }

    void connectionsListTheAccountNotThePassword() {
        QCOMPARE(sharing::netAddConnection(kPasswordHost, kUser, kPassword), 0u);
        std::vector<platform::NetConnection> open;
        QCOMPARE(platform::netConnections().connections(open), 0u);
        QCOMPARE(open.size(), std::size_t(1));
        QCOMPARE(QString::fromStdWString(open[0].remoteName), QStringLiteral("\\\\10.200.0.21"));
        QCOMPARE(QString::fromStdWString(open[0].userName), QString(kUser));
    }

    void aSecondUserForAConnectedHostIsRefused() {
        QCOMPARE(sharing::netAddConnection(kPasswordHost, kUser, kPassword), 0u);
        QCOMPARE(sharing::netAddConnection(kPasswordHost, "nobody", "x"), 1219u);
        QCOMPARE(sharing::netAddConnection(kPasswordHost, kUser, kPassword), 0u);
    }

    void printerConnectionsUseTheLogOn() {
        platform::Spooler& spooler = platform::spooler();
        QCOMPARE(spooler.addPrinterConnection(L"\\\\10.200.0.21\\LaserJet"), 5u);
        QCOMPARE(sharing::netAddConnection(kPasswordHost, kUser, kPassword), 0u);
        QCOMPARE(spooler.addPrinterConnection(L"\\\\10.200.0.21\\LaserJet"), 0u);
        QCOMPARE(spooler.deletePrinterConnection(L"\\\\10.200.0.21\\LaserJet"), 0u);
    }

    void hostsThatDoNotList_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("code");
        // No NetBIOS answer at all: no listing is tried.
        QTest::newRow("dead host") << kDeadHost << int(sharing::kHostTimedOut);
        // The closed port answers at once; the listing then finds no SMB server.
        QTest::newRow("host without SMB") << kSnmpHost << int(sharing::kListingFailed);
    }

    void hostsThatDoNotList() {
        QFETCH(QString, host);
        QFETCH(int, code);
        const sharing::HostShareRecord record = probe(qPrintable(host));
        QCOMPARE(record.code, code);
        QCOMPARE(QString::fromStdString(record.ip), host);
        QVERIFY(record.deviceName.empty() && record.group.empty() && record.printerNames.empty());
    }

    void queryByNameOrAddress_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("ip");
        QTest::newRow("dotted address") << QByteArray(kGuestHost) << 0 << kGuestHost;
        // .invalid never resolves; inside the client namespace no lookup leaves the machine.
        QTest::newRow("unresolvable name") << QByteArray("no-such-host.invalid") << 4 << "";
        QTest::newRow("empty") << QByteArray() << 4 << "";
    }

    void queryByNameOrAddress() {
        QFETCH(QByteArray, host);
        QFETCH(int, code);
        QFETCH(QString, ip);
        const sharing::HostShareRecord record = sharing::queryHostShares(host);
        QCOMPARE(record.code, code);
        QCOMPARE(QString::fromStdString(record.ip), ip);
        if (code == 4) {
            QVERIFY(record.deviceName.empty() && record.group.empty() &&
                    record.printerNames.empty());
        }
    }

    void logOnToAnUnresolvableName() {
        QCOMPARE(sharing::netAddConnection("no-such-host.invalid", kUser, kPassword), 53u);
        QCOMPARE(sharing::netCancelConnection("no-such-host.invalid"), 2250u);
    }

private:
    bool m_started = false;
    platform::posix::UniqueFd m_home;
};

namespace {
const bool registered = registerTest<HostSharesLanTest>("HostSharesLanTest");
}  // namespace

#include "HostSharesLanTest.moc"
