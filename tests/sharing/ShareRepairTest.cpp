#include <QTest>

#include "TestMain.h"

#include "SharingTestSupport.h"
#include "sharing/ShareEnvironment.h"
#include "sharing/ShareProcesses.h"

using sharing::ShareEnvironment;

class ShareRepairTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(SharePc::instance().reset()); }

    void eachRepairBringsItsItemToGood_data() {
        QTest::addColumn<int>("index");
        for (int index = 0; index < sharing::kShareItemCount; ++index) {
            QTest::newRow(qPrintable(QString::number(index))) << index;
        }
    }
    void eachRepairBringsItsItemToGood() {
        QFETCH(int, index);
        const ShareEnvironment& environment = ShareEnvironment::instance();
        const std::int32_t good = ShareEnvironment::goodValues()[index];
        if (index == sharing::kForceGuestOff) {
            QVERIFY(SharePc::instance().tool({"reg", "set",
                                              "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Lsa",
                                              "forceguest", "REG_DWORD", "1"}));
        }
        QVERIFY(environment.check(index) != good);
        environment.repair(index);
        QCOMPARE(environment.check(index), good);
    }

    // Another program keeps the configuration's write lock: the install gives up after its
    // time-out and installs nothing.
    void lockedNetworkConfigurationInstallsNothing() {
        QVERIFY(SharePc::instance().tool({"netcfg", "lock", "Network Setup", "30"}));
        ShareEnvironment::instance().repair(sharing::kReliableMulticast);
        QCOMPARE(ShareEnvironment::instance().check(sharing::kReliableMulticast), 2);
    }

    // Guest held only the deny right: once it is gone, LSA knows no account object for Guest
    // and a second removal fails with STATUS_OBJECT_NAME_NOT_FOUND, reported and harmless.
    void repairingAGoodItemAgain() {
        const ShareEnvironment& environment = ShareEnvironment::instance();
        environment.repair(sharing::kGuestNetworkLogonDeny);
        StderrCapture capture;
        environment.repair(sharing::kGuestNetworkLogonDeny);
        QCOMPARE(capture.text(), QStringLiteral("LsaAddAccountRights failed with error: 2\n"));
        QCOMPARE(environment.check(sharing::kGuestNetworkLogonDeny), 0);
        environment.repair(sharing::kForceGuestOff);
        QCOMPARE(environment.check(sharing::kForceGuestOff), 1);
    }

    // The output of a talkative program is drained while it runs, so the wait ends; its first
    // 4096 bytes are kept.
    void runCaptureDrainsOutput() {
        std::wstring text;
        QVERIFY(sharing::runCapture(L"cmd /c yes x | head -c 200000", text));
        QCOMPARE(text.size(), sharing::kCaptureLimit);
        QString expected;
        for (std::size_t i = 0; i < sharing::kCaptureLimit / 2; ++i) {
            expected += QStringLiteral("x\n");
        }
        QCOMPARE(QString::fromStdWString(text), expected);
    }
};

namespace {
const bool registered = registerTest<ShareRepairTest>("ShareRepairTest");
}  // namespace

#include "ShareRepairTest.moc"
