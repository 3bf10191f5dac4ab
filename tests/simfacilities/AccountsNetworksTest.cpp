#include <QElapsedTimer>
#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "ToolRun.h"
#include "platform/LocalUsers.h"
#include "platform/Lsa.h"
#include "platform/NetworkConfig.h"
#include "platform/NetworkList.h"

using namespace platform;

namespace {

using lsaapi::kPolicyAllAccess;
using lsaapi::kPolicyLookupNames;
using lsaapi::kPolicyViewLocalInformation;

// The names of the accounts holding `right`, as DOMAIN\name.
QStringList holders(sim::SimulatedPc& pc, const wchar_t* right) {
    std::unique_ptr<LsaPolicy> policy;
    std::vector<SidString> sids;
    Lsa& lsa = pc.get<Lsa>();
    if (lsa.openPolicy(kPolicyLookupNames | kPolicyViewLocalInformation, policy) != 0 ||
        policy->accountsWithRight(right, sids) != 0) {
        return {};
    }
    QStringList names;
    for (const SidString& sid : sids) {
        AccountName account;
        names << (lsa.lookupSid(sid, account) == 0
                      ? QString::fromStdWString(account.domain + L"\\" + account.name)
                      : QStringLiteral("?") + QString::fromStdWString(sid));
    }
    return names;
}

}  // namespace

class AccountsNetworksTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = PcFolder::fromFixture(QStringLiteral("share-pc"));
        QVERIFY2(m_folder->isValid(), qPrintable(m_folder->error()));
    }

    void namesAndSids_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("error");
        QTest::addColumn<QString>("sid");
        QTest::addColumn<QString>("domainAndName");
        QTest::newRow("local user") << "guest" << 0u << "S-1-5-21-11-22-33-501"
                                    << "SHARE-PC\\Guest";
        QTest::newRow("computer\\user") << "share-pc\\Tester" << 0u << "S-1-5-21-11-22-33-1001"
                                        << "SHARE-PC\\Tester";
        QTest::newRow("builtin group") << "BUILTIN\\Guests" << 0u << "S-1-5-32-546"
                                       << "BUILTIN\\Guests";
        QTest::newRow("well-known") << "Everyone" << 0u << "S-1-1-0"
                                    << "\\Everyone";
        QTest::newRow("unknown") << "Nobody" << 1332u << ""
                                 << "";
        QTest::newRow("user of another domain") << "OTHER\\Guest" << 1332u << ""
                                                << "";
    }
    void namesAndSids() {
        QFETCH(QString, name);
        QFETCH(uint, error);
        QFETCH(QString, sid);
        QFETCH(QString, domainAndName);
        Lsa& lsa = m_folder->pc().get<Lsa>();
        SidString found;
        AccountName account;
        QCOMPARE(lsa.lookupName(name.toStdWString(), found, account), error);
        QCOMPARE(QString::fromStdWString(found), sid);
        if (error == 0) {
            AccountName back;
            QCOMPARE(lsa.lookupSid(found, back), 0u);
            QCOMPARE(QString::fromStdWString(back.domain + L"\\" + back.name), domainAndName);
        }
    }

    void rightsNeedTheirAccess() {
        Lsa& lsa = m_folder->pc().get<Lsa>();
        std::unique_ptr<LsaPolicy> policy;
        std::vector<SidString> sids;
        // View-local-information access alone does not let the enumeration through.
        QCOMPARE(lsa.openPolicy(kPolicyViewLocalInformation, policy), lsaapi::kStatusSuccess);
        QCOMPARE(policy->accountsWithRight(L"SeNetworkLogonRight", sids),
                 lsaapi::kStatusAccessDenied);
        QCOMPARE(lsa.openPolicy(kPolicyAllAccess, policy), lsaapi::kStatusSuccess);
        QCOMPARE(policy->accountsWithRight(L"SeNoSuchRight", sids), lsaapi::kStatusNoSuchPrivilege);
        QCOMPARE(policy->accountsWithRight(L"SeBatchLogonRight", sids),
                 lsaapi::kStatusNoMoreEntries);
        QCOMPARE(policy->addRight(L"S-1-5-21-11-22-33-501", L"SeNetworkLogonRight"),
                 lsaapi::kStatusSuccess);
        QVERIFY(holders(m_folder->pc(), L"SeNetworkLogonRight").contains("SHARE-PC\\Guest"));
        QCOMPARE(policy->removeRight(L"S-1-5-21-11-22-33-1001", L"SeDenyNetworkLogonRight"),
                 lsaapi::kStatusObjectNameNotFound);
        // An account that no longer exists still holds its rights; its SID has no name.
        QCOMPARE(policy->addRight(L"S-1-5-21-11-22-33-1077", L"SeBatchLogonRight"),
                 lsaapi::kStatusSuccess);
        QCOMPARE(holders(m_folder->pc(), L"SeBatchLogonRight"),
                 QStringList{"?S-1-5-21-11-22-33-1077"});
    }

    void rightsVerbAndNotElevated() {
        const QString machine = m_folder->directory();
        ToolRun run = runSimTool(machine, {"rights", "add", "SeDenyNetworkLogonRight", "Tester"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = runSimTool(machine, {"rights", "remove", "SeDenyNetworkLogonRight", "Guest"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(holders(m_folder->pc(), L"SeDenyNetworkLogonRight"),
                 QStringList{"SHARE-PC\\Tester"});
        run = runSimTool(machine, {"rights", "add", "SeFlyRight", "Guest"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("no such user right: SeFlyRight"), qPrintable(run.err));

        QByteArray text = fixtureText(QStringLiteral("share-pc"));
        text.replace("\"userName\": \"Tester\"", "\"userName\": \"Tester\", \"elevated\": false");
        auto plain = PcFolder::fromText(text);
        std::unique_ptr<LsaPolicy> policy;
        QCOMPARE(plain->pc().get<Lsa>().openPolicy(kPolicyAllAccess, policy),
                 lsaapi::kStatusAccessDenied);
        QCOMPARE(plain->pc().get<LocalUsers>().setFlags(L"Guest", 0x10001), 5u);
        QCOMPARE(plain->pc().get<NetworkList>().setCategory(L"{x}", 1), kEAccessDenied);
    }

    void userFlags() {
        LocalUsers& users = m_folder->pc().get<LocalUsers>();
        UserInfo1 info;
        QCOMPARE(users.getInfo1(L"GUEST", info), 0u);
        QCOMPARE(info.flags, 0x10263u);
        // Level 1008 sets the flags; the account type stays.
        QCOMPARE(users.setFlags(L"Guest", 0x10001), 0u);
        QCOMPARE(users.getInfo1(L"Guest", info), 0u);
        QCOMPARE(info.flags, 0x10201u);
        QCOMPARE(users.getInfo1(L"Nobody", info), users::kUserNotFound);
        QCOMPARE(users.setFlags(L"Nobody", 0x10001), users::kUserNotFound);
        QCOMPARE(runSimTool(m_folder->directory(), {"user", "disable", "Guest"}).exitCode, 0);
        QCOMPARE(users.getInfo1(L"Guest", info), 0u);
        QCOMPARE(info.flags & users::kAccountDisable, users::kAccountDisable);
        QVERIFY(runSimTool(m_folder->directory(), {"show", "users"})
                    .out.contains("Guest (rid 501): disabled, flags 0x10203"));
    }

    void networkCategories() {
        NetworkList& list = m_folder->pc().get<NetworkList>();
        std::vector<NetworkInfo> networks;
        QCOMPARE(list.networks(true, networks), kSOk);
        QCOMPARE(networks.size(), std::size_t(1));
        QCOMPARE(networks[0].category, networks::kCategoryPublic);
        QCOMPARE(list.setCategory(networks[0].id, networks::kCategoryDomainAuthenticated),
                 kEInvalidArg);
        QCOMPARE(list.setCategory(L"{00000000-0000-0000-0000-000000000000}", 1), kEInvalidArg);
        QCOMPARE(list.setCategory(networks[0].id, networks::kCategoryPrivate), kSOk);
        QCOMPARE(list.networks(true, networks), kSOk);
        QCOMPARE(networks[0].category, networks::kCategoryPrivate);

        const QString machine = m_folder->directory();
        QCOMPARE(runSimTool(machine, {"network", "add", "Cafe", "public"}).exitCode, 0);
        QCOMPARE(runSimTool(machine, {"network", "category", "cafe", "private"}).exitCode, 0);
        QCOMPARE(runSimTool(machine, {"network", "add", "Cafe", "public"}).exitCode, 1);
        QCOMPARE(runSimTool(machine, {"network", "remove", "Network"}).exitCode, 0);
        QCOMPARE(list.networks(true, networks), kSOk);
        QCOMPARE(networks.size(), std::size_t(1));
        QCOMPARE(QString::fromStdWString(networks[0].name), QStringLiteral("Cafe"));
        QCOMPARE(networks[0].category, networks::kCategoryPrivate);
    }

    void installUnderTheWriteLock() {
        NetworkConfig& config = m_folder->pc().get<NetworkConfig>();
        std::unique_ptr<NetCfgSession> session;
        QCOMPARE(config.create(session), kSOk);
        QCOMPARE(session->initialize(), kSOk);
        QCOMPARE(session->installProtocol(L"ms_rmcast"), netcfg::kNoWriteLock);
        std::wstring holder;
        QCOMPARE(session->acquireWriteLock(100, L"Test", holder), kSOk);
        QCOMPARE(session->installProtocol(L"ms_bogus"), netcfg::kNoDriverSelected);
        QCOMPARE(session->installProtocol(L"ms_rmcast"), kSOk);

        // A second program waits for the lock and is told who has it.
        std::unique_ptr<NetCfgSession> other;
        config.create(other);
        QCOMPARE(other->acquireWriteLock(50, L"Other", holder), kSFalse);
        QCOMPARE(QString::fromStdWString(holder), QStringLiteral("Test"));

        std::vector<NetComponent> protocols;
        QCOMPARE(session->components(netcfg::ComponentClass::Protocol, protocols), kSOk);
        QCOMPARE(protocols.size(), std::size_t(2));  // not applied yet
        QCOMPARE(session->apply(), kSOk);
        QCOMPARE(session->components(netcfg::ComponentClass::Protocol, protocols), kSOk);
        QCOMPARE(QString::fromStdWString(protocols.back().id), QStringLiteral("ms_rmcast"));
        QCOMPARE(session->uninitialize(), kSOk);
        QCOMPARE(session->releaseWriteLock(), kSOk);
        QCOMPARE(other->acquireWriteLock(50, L"Other", holder), kSOk);
    }

    // A lock another program holds for a while: the wait ends when it is let go.
    void lockHeldForSomeSeconds() {
        QCOMPARE(runSimTool(m_folder->directory(), {"netcfg", "lock", "Setup", "1"}).exitCode, 0);
        QVERIFY(runSimTool(m_folder->directory(), {"show", "netcfg"})
                    .out.contains("write lock held by Setup"));
        std::unique_ptr<NetCfgSession> session;
        m_folder->pc().get<NetworkConfig>().create(session);
        std::wstring holder;
        QCOMPARE(session->acquireWriteLock(10, L"Test", holder), kSFalse);
        QCOMPARE(QString::fromStdWString(holder), QStringLiteral("Setup"));
        QCOMPARE(session->acquireWriteLock(5000, L"Test", holder), kSOk);
    }

    // The 32-bit PowerShell of a 64-bit PC (SysWOW64's, for a 32-bit program that left the
    // file-system redirection on) cannot service the running system: nothing changes.
    void powerShellOf32BitsChangesNoFeature() {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CORVANTA_SIM_WOW64_PROGRAM"), QStringLiteral("1"));
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
                   {QStringLiteral("--machine"), m_folder->directory(), QStringLiteral("program"),
                    QStringLiteral("powershell"), QStringLiteral("-NonInteractive"),
                    QStringLiteral("Enable-WindowsOptionalFeature"), QStringLiteral("-Online"),
                    QStringLiteral("-FeatureName"), QStringLiteral("SMB1Protocol")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(QString::fromUtf8(tool.readAllStandardError()).contains("incorrect format"));
        QVERIFY(runSimTool(m_folder->directory(), {"sharing", "show"})
                    .out.contains("9 SMB1Protocol InstallState = 2"));
    }

    void powerShellSetsTheFeature() {
        const QString machine = m_folder->directory();
        ToolRun run = runSimTool(
            machine, {"program", "powershell", "-NonInteractive", "Enable-WindowsOptionalFeature",
                      "-Online", "-FeatureName", "SMB1Protocol"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains("RestartNeeded : True"), qPrintable(run.out));
        QVERIFY(runSimTool(machine, {"sharing", "show"})
                    .out.contains("9 SMB1Protocol InstallState = 1"));
        run = runSimTool(
            machine, {"program", "powershell", "-NonInteractive", "Enable-WindowsOptionalFeature",
                      "-Online", "-FeatureName", "NoSuchFeature"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Feature name NoSuchFeature is unknown."), qPrintable(run.err));
    }

    void sharingShowTellsTheElevenFacts() {
        const ToolRun run = runSimTool(m_folder->directory(), {"sharing", "show"});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[0], QStringLiteral("0 AllowInsecureGuestAuth = (missing)"));
        QCOMPARE(lines[2], QStringLiteral("2 ms_rmcast: not installed"));
        QCOMPARE(lines[5], QStringLiteral("5 SeDenyNetworkLogonRight: SHARE-PC\\Guest"));
        QCOMPARE(lines[7], QStringLiteral("7 connected networks: Network public"));
        QCOMPARE(lines[10], QStringLiteral("10 Guest: disabled (flags 0x10263)"));
    }

private:
    std::unique_ptr<PcFolder> m_folder;
};

namespace {
const bool registered = registerTest<AccountsNetworksTest>("AccountsNetworksTest");
}  // namespace

#include "AccountsNetworksTest.moc"
