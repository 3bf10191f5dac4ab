// The simulated service control manager refuses what Windows refuses, with the same codes, and
// the spooler breaks while its service does not run.
#include <QtTest>

#include <thread>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/Services.h"
#include "platform/Spooler.h"

namespace svc = platform::svc;
using platform::win32::Error;

namespace {

// Running Spooler, a stopped demand-start service, a disabled one and one marked for deletion.
constexpr char kServices[] = R"({"services": {
    "Spooler": {"state": "running", "startType": "auto"},
    "Fax": {"state": "stopped", "startType": "demand"},
    "RemoteRegistry": {"state": "stopped", "startType": "disabled"},
    "OldAgent": {"state": "running", "markedForDeletion": true}}})";

QByteArray profile(bool elevated) {
    QJsonObject text = QJsonDocument::fromJson(kServices).object();
    QJsonObject system =
        QJsonDocument::fromJson(fixtureText("bare-pc")).object()["system"].toObject();
    system["elevated"] = elevated;
    system["admin"] = elevated;
    text["system"] = system;
    return QJsonDocument(text).toJson();
}

enum class Step { Open, Stop, Start, ChangeStartType, StopWithoutReason };

}  // namespace

Q_DECLARE_METATYPE(Step)

class ServicesTest : public QObject {
    Q_OBJECT

private slots:
    void refusals_data() {
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<QString>("service");
        QTest::addColumn<quint32>("access");
        QTest::addColumn<Step>("step");
        QTest::addColumn<quint32>("error");
        const quint32 all = svc::kAllAccess;
        QTest::newRow("no such service") << true << "Nope" << all << Step::Open << 1060u;
        QTest::newRow("names in any case") << true << "spooler" << all << Step::Open << 0u;
        QTest::newRow("not elevated: all access refused")
            << false << "Spooler" << all << Step::Open << 5u;
        QTest::newRow("not elevated: querying granted")
            << false << "Spooler" << quint32(svc::kQueryStatus | svc::kQueryConfig) << Step::Open
            << 0u;
        QTest::newRow("stop without the stop right")
            << true << "Spooler" << quint32(svc::kQueryStatus) << Step::Stop << 5u;
        QTest::newRow("stop a stopped service") << true << "Fax" << all << Step::Stop << 1062u;
        QTest::newRow("stop reason without a flag")
            << true << "Spooler" << all << Step::StopWithoutReason << 87u;
        QTest::newRow("start a running service")
            << true << "Spooler" << all << Step::Start << 1056u;
        QTest::newRow("start a disabled service")
            << true << "RemoteRegistry" << all << Step::Start << 1058u;
        QTest::newRow("reconfigure one marked for deletion")
            << true << "OldAgent" << all << Step::ChangeStartType << 1072u;
        QTest::newRow("start one marked for deletion")
            << true << "OldAgent" << all << Step::Start << 1072u;
        QTest::newRow("start a stopped service") << true << "Fax" << all << Step::Start << 0u;
    }

    void refusals() {
        QFETCH(bool, elevated);
        QFETCH(QString, service);
        QFETCH(quint32, access);
        QFETCH(Step, step);
        QFETCH(quint32, error);
        const auto folder = PcFolder::fromText(profile(elevated));
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        std::unique_ptr<platform::ServiceManager> manager;
        QCOMPARE(folder->pc().get<platform::Services>().openManager(svc::kManagerConnect, manager),
                 0u);
        std::unique_ptr<platform::ServiceHandle> handle;
        const Error opened = manager->openService(service.toStdWString(), access, handle);
        if (step == Step::Open) {
            QCOMPARE(opened, error);
            return;
        }
        QCOMPARE(opened, 0u);
        platform::ServiceStatus status;
        Error result = 0;
        switch (step) {
            case Step::Stop:
                result = handle->stop(0x4004000B, {}, status);
                break;
            case Step::StopWithoutReason:
                result = handle->stop(0x0004000B, {}, status);
                break;
            case Step::Start:
                result = handle->start();
                break;
            case Step::ChangeStartType:
                result = handle->changeConfig(svc::kNoChange, svc::kAutoStart, svc::kNoChange);
                break;
            case Step::Open:
                break;
        }
        QCOMPARE(result, error);
    }

    // Not elevated, the manager itself refuses more than connecting and enumerating.
    void managerRightsFollowElevation() {
        const auto folder = PcFolder::fromText(profile(false));
        std::unique_ptr<platform::ServiceManager> manager;
        auto& services = folder->pc().get<platform::Services>();
        QCOMPARE(services.openManager(svc::kManagerAllAccess, manager), 5u);
        QCOMPARE(services.openManager(svc::kManagerConnect, manager), 0u);
    }

    // A stop passes through stop-pending with a wait hint; the spooler answers 1722 from the
    // stop request on, and serves again once the service has started and runs.
    void spoolerFollowsItsService() {
        const auto folder = PcFolder::fromText(profile(true));
        auto& services = folder->pc().get<platform::Services>();
        auto& spooler = folder->pc().get<platform::Spooler>();
        std::vector<platform::PrinterInfo2> queues;
        QCOMPARE(spooler.enumPrinters2(platform::spool::kEnumLocal, queues), 0u);
        std::unique_ptr<platform::ServiceManager> manager;
        std::unique_ptr<platform::ServiceHandle> handle;
        QCOMPARE(services.openManager(svc::kManagerAllAccess, manager), 0u);
        QCOMPARE(manager->openService(L"Spooler", svc::kAllAccess, handle), 0u);
        platform::ServiceStatus status;
        QCOMPARE(handle->stop(0x4004000B, {}, status), 0u);
        QCOMPARE(status.currentState, svc::kStopPending);
        QVERIFY(status.waitHint > 0);
        QCOMPARE(handle->stop(0x4004000B, {}, status), svc::kErrorServiceCannotAcceptControl);
        QCOMPARE(spooler.enumPrinters2(platform::spool::kEnumLocal, queues), 1722u);
        platform::ServiceStatusProcess process;
        QTRY_VERIFY((handle->queryStatusProcess(process), process.currentState == svc::kStopped));
        QCOMPARE(process.processId, 0u);
        QCOMPARE(handle->start(), 0u);
        QCOMPARE(spooler.enumPrinters2(platform::spool::kEnumLocal, queues), 1722u);
        QTRY_VERIFY((handle->queryStatusProcess(process), process.currentState == svc::kRunning));
        QVERIFY(process.processId != 0);
        QCOMPARE(spooler.enumPrinters2(platform::spool::kEnumLocal, queues), 0u);
    }
};

namespace {
const bool registered = registerTest<ServicesTest>("ServicesTest");
}

#include "ServicesTest.moc"
