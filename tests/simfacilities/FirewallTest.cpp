#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "ToolRun.h"
#include "platform/Firewall.h"
#include "platform/NetworkList.h"

using namespace platform;
using namespace platform::fw;

namespace {

const std::wstring kSharing = L"文件和打印机共享";
const std::wstring kDiscovery = L"网络发现";

std::unique_ptr<FirewallPolicy> openPolicy(sim::SimulatedPc& pc) {
    std::unique_ptr<FirewallPolicy> policy;
    if (pc.get<Firewall>().openPolicy(policy) != kSOk) {
        return nullptr;
    }
    return policy;
}

}  // namespace

class FirewallTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = PcFolder::fromFixture(QStringLiteral("firewall-pc"));
        QVERIFY2(m_folder->isValid(), qPrintable(m_folder->error()));
        m_policy = openPolicy(m_folder->pc());
        QVERIFY(m_policy);
    }

    void currentProfileTypes() {
        ProfileTypes types = 0;
        QCOMPARE(m_policy->currentProfileTypes(types), kSOk);
        QCOMPARE(types, kProfilePrivate | kProfilePublic);
    }

    void groupEnabledPerProfileMask_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("types");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("on for its profile")
            << QString::fromStdWString(kSharing) << kProfileDomain << kSOk << true;
        QTest::newRow("off for another")
            << QString::fromStdWString(kSharing) << kProfilePrivate << kSOk << false;
        QTest::newRow("every profile of the mask")
            << QString::fromStdWString(kDiscovery) << (kProfilePrivate | kProfilePublic) << kSOk
            << true;
        QTest::newRow("one profile of the mask off")
            << QString::fromStdWString(kDiscovery) << kProfileAll << kSOk << false;
        QTest::newRow("indirect name")
            << "@firewallapi.dll,-32752" << kProfilePrivate << kSOk << true;
        QTest::newRow("letter case") << "remote desktop" << kProfilePrivate << kSOk << true;
        QTest::newRow("English name of a Chinese group")
            << "File and Printer Sharing" << kProfileDomain << kSFalse << false;
        QTest::newRow("no profile in the mask")
            << QString::fromStdWString(kSharing) << ProfileTypes(0x8) << kEInvalidArg << false;
    }
    void groupEnabledPerProfileMask() {
        QFETCH(QString, group);
        QFETCH(int, types);
        QFETCH(int, result);
        QFETCH(bool, enabled);
        bool answer = !enabled;
        QCOMPARE(m_policy->isRuleGroupEnabled(types, group.toStdWString(), answer), result);
        QCOMPARE(answer, enabled);
    }

    void enableKeepsTheOtherProfiles() {
        QCOMPARE(m_policy->enableRuleGroup(kProfilePrivate, kSharing, true), kSOk);
        bool enabled = false;
        QCOMPARE(m_policy->isRuleGroupEnabled(kProfileDomain | kProfilePrivate, kSharing, enabled),
                 kSOk);
        QVERIFY(enabled);
        QCOMPARE(m_policy->isRuleGroupEnabled(kProfilePublic, kSharing, enabled), kSOk);
        QVERIFY(!enabled);

        QCOMPARE(m_policy->enableRuleGroup(kProfileDomain, kSharing, false), kSOk);
        QCOMPARE(m_policy->isRuleGroupEnabled(kProfilePrivate, kSharing, enabled), kSOk);
        QVERIFY(enabled);
        QCOMPARE(m_policy->isRuleGroupEnabled(kProfileDomain, kSharing, enabled), kSOk);
        QVERIFY(!enabled);

        // Another process opening the PC sees the change.
        auto other = m_folder->open();
        auto otherPolicy = openPolicy(*other);
        QCOMPARE(otherPolicy->isRuleGroupEnabled(kProfilePrivate, kSharing, enabled), kSOk);
        QVERIFY(enabled);
    }

    void enableUnknownGroupIsSFalse() {
        QCOMPARE(m_policy->enableRuleGroup(kProfilePrivate, L"Network Discovery", true), kSFalse);
    }

    void changesNeedElevation() {
        QByteArray profile = fixtureText(QStringLiteral("firewall-pc"));
        profile.replace("\"userName\": \"Tester\"",
                        "\"userName\": \"Tester\", \"elevated\": false");
        auto folder = PcFolder::fromText(profile);
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        auto policy = openPolicy(folder->pc());
        QCOMPARE(policy->enableRuleGroup(kProfilePrivate, kSharing, true), kEAccessDenied);
        bool enabled = true;
        QCOMPARE(policy->isRuleGroupEnabled(kProfilePrivate, kSharing, enabled), kSOk);
        QVERIFY(!enabled);
    }

    void stoppedServiceAndUnreadableState() {
        QCOMPARE(runSimTool(m_folder->directory(), {"firewall", "service", "stopped"}).exitCode, 0);
        bool enabled = true;
        ProfileTypes types = 0;
        QCOMPARE(m_policy->isRuleGroupEnabled(kProfileDomain, kSharing, enabled),
                 kServiceNotRunning);
        QVERIFY(!enabled);
        QCOMPARE(m_policy->enableRuleGroup(kProfilePrivate, kSharing, true), kServiceNotRunning);
        QCOMPARE(m_policy->currentProfileTypes(types), kServiceNotRunning);

        QFile state(m_folder->stateFile(QStringLiteral("firewall")));
        QVERIFY(state.open(QIODevice::WriteOnly | QIODevice::Truncate));
        state.write("{\"groups\": 3}");
        state.close();
        QCOMPARE(m_policy->isRuleGroupEnabled(kProfileDomain, kSharing, enabled),
                 hresultFromWin32(1015));
    }

    // The profiles in force follow the categories of the connected networks, not the stored
    // list, once the PC is connected: a network moved to private takes the firewall along.
    void currentProfilesFollowTheConnectedNetworks() {
        const auto folder = PcFolder::fromText(R"({
            "system": {"version": {"major": 10, "minor": 0, "build": 19045},
                       "architecture": "x64", "computerName": "PC", "userName": "Tester",
                       "elevated": true},
            "firewall": {"currentProfiles": ["domain"],
                         "groups": [{"name": "网络发现", "enabled": ["private"]}]},
            "networks": [{"name": "Network", "category": "public"},
                         {"name": "Old office", "category": "private", "connected": false}]})");
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        const auto policy = openPolicy(folder->pc());
        QVERIFY(policy);
        ProfileTypes types = 0;
        QCOMPARE(policy->currentProfileTypes(types), kSOk);
        QCOMPARE(types, kProfilePublic);
        bool enabled = true;
        QCOMPARE(policy->isRuleGroupEnabled(types, kDiscovery, enabled), kSOk);
        QVERIFY(!enabled);

        std::vector<NetworkInfo> networks;
        NetworkList& list = folder->pc().get<NetworkList>();
        QCOMPARE(list.networks(true, networks), kSOk);
        QCOMPARE(networks.size(), std::size_t(1));
        QCOMPARE(list.setCategory(networks.front().id, networks::kCategoryPrivate), kSOk);
        QCOMPARE(policy->currentProfileTypes(types), kSOk);
        QCOMPARE(types, kProfilePrivate);
        QCOMPARE(policy->isRuleGroupEnabled(types, kDiscovery, enabled), kSOk);
        QVERIFY(enabled);
    }

    void toolSwitchesGroupsAndShowsThem() {
        const QString machine = m_folder->directory();
        ToolRun run = runSimTool(machine, {"firewall", "group", QString::fromStdWString(kSharing),
                                           "on", "--profile", "private"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = runSimTool(machine, {"firewall", "group", "网络发现", "off"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = runSimTool(machine, {"firewall", "current", "domain"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));

        run = runSimTool(machine, {"show", "firewall"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("current profiles: domain\n"), qPrintable(run.out));
        QVERIFY2(run.out.contains(
                     "group 文件和打印机共享 (@FirewallAPI.dll,-28502): on for domain, private\n"),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains("group 网络发现 (@FirewallAPI.dll,-32752): on for none\n"),
                 qPrintable(run.out));

        run = runSimTool(machine, {"firewall", "group", "No Such Group", "on"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("no rule group No Such Group"), qPrintable(run.err));
        run = runSimTool(machine, {"firewall", "group", "网络发现", "on", "--profile", "work"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("firewall group NAME on|off"), qPrintable(run.err));
    }

    void profileErrorsNameTheField_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown profile") << QByteArray(R"({"currentProfiles": ["work"]})")
                                         << "firewall.currentProfiles[0] must be domain";
        QTest::newRow("group without a name")
            << QByteArray(R"({"groups": [{"enabled": []}]})") << "firewall.groups[0]";
        QTest::newRow("unknown field")
            << QByteArray(R"({"groups": [], "rules": []})") << "unknown field firewall.rules";
    }
    void profileErrorsNameTheField() {
        QFETCH(QByteArray, section);
        QFETCH(QString, message);
        const QByteArray text = R"({"system": {"version": {"major": 10, "minor": 0, "build": 1},
            "architecture": "x64", "computerName": "PC", "userName": "u"}, "firewall": )" +
                                section + "}";
        auto folder = PcFolder::fromText(text);
        QVERIFY(!folder->isValid());
        QVERIFY2(folder->error().contains(message), qPrintable(folder->error()));
    }

private:
    std::unique_ptr<PcFolder> m_folder;
    std::unique_ptr<FirewallPolicy> m_policy;
};

namespace {
const bool registered = registerTest<FirewallTest>("FirewallTest");
}  // namespace

#include "FirewallTest.moc"
