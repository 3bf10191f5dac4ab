// Kestrune run as Corvanta runs it, on a simulated PC: the mode decides the repair, the exit
// code reports it, and the PC shows what was done.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <signal.h>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/FileSystem.h"
#include "platform/Firewall.h"
#include "platform/Services.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/services/ServiceState.h"

namespace svc = platform::svc;

namespace {

// The 30-second stop limit, shortened for the hung stop (a stop takes the simulated spooler
// less than a second).
constexpr char kShortStopLimitMs[] = "2000";
constexpr int kNoSuchState = 0;  // the service does not exist

struct Run {
    int exitCode = -1;
    QString output;
};

// Started as Corvanta's process layer starts it, which reads the whole 32-bit exit code.
Run runKestrune(const QString& machine, const QStringList& arguments) {
    qputenv("CORVANTA_MACHINE", machine.toUtf8());
    qputenv("KESTRUNE_STOP_TIMEOUT_MS", kShortStopLimitMs);
    std::vector<std::string> argv{CORVANTA_KESTRUNE};
    for (const QString& argument : arguments) {
        argv.push_back(argument.toStdString());
    }
    platform::posix::SpawnOptions options;
    options.captureOutput = true;
    std::unique_ptr<platform::Process> process;
    Run run;
    if (platform::posix::spawn(argv, options, process) != 0) {
        return run;
    }
    QByteArray output;
    char buffer[4096];
    for (long n; (n = process->readOutput(buffer, sizeof buffer)) > 0;) {
        output.append(buffer, int(n));
    }
    process->wait(-1);
    run.exitCode = int(process->exitCode());
    run.output = QString::fromUtf8(output);
    return run;
}

int runTool(const QString& machine, const QStringList& arguments) {
    return QProcess::execute(QStringLiteral(CORVANTA_SIM_TOOL),
                             QStringList{QStringLiteral("--machine"), machine} + arguments);
}

// The fixture with its profile changed by `edit`.
std::unique_ptr<PcFolder> repairPc(const std::function<void(QJsonObject&)>& edit) {
    QJsonObject profile =
        QJsonDocument::fromJson(fixtureText(QStringLiteral("repair-pc"))).object();
    if (edit) {
        edit(profile);
    }
    return PcFolder::fromText(QJsonDocument(profile).toJson());
}

QJsonObject serviceRecord(PcFolder& folder, const QString& name) {
    QFile file(folder.stateFile(QLatin1String(platform::sim::services::kServicesFacility)));
    file.open(QIODevice::ReadOnly);
    const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    return platform::sim::services::servicesOf(document).value(name).toObject();
}

// State and start type as the service manager reports them; state 0 when it is missing.
void spoolerNow(PcFolder& folder, int& state, int& startType) {
    const QJsonObject record = serviceRecord(folder, QStringLiteral("Spooler"));
    std::unique_ptr<platform::sim::SimulatedPc> pc = folder.open();
    std::unique_ptr<platform::ServiceManager> manager;
    std::unique_ptr<platform::ServiceHandle> service;
    platform::ServiceStatus status;
    state = kNoSuchState;
    startType = record.value(QStringLiteral("startType")).toInt();
    if (pc->get<platform::Services>().openManager(svc::kManagerConnect, manager) == 0 &&
        manager->openService(L"Spooler", svc::kQueryStatus, service) == 0 &&
        service->queryStatus(status) == 0) {
        state = int(status.currentState);
    }
}

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString spoolFolder(PcFolder& folder, const wchar_t* windowsPath) {
    return QString::fromStdWString(folder.pc().get<platform::FileSystem>().hostPath(windowsPath));
}

// Jobs and a sub-folder with a file of its own, as a stuck spooler leaves them.
void fillSpoolFolder(const QString& folder) {
    QDir().mkpath(folder + "/Temp/Deeper");
    for (const char* name : {"00012.SPL", "00012.SHD", "Temp/x.tmp", "Temp/Deeper/y.tmp"}) {
        QFile file(folder + "/" + name);
        file.open(QIODevice::WriteOnly);
        file.write("data");
    }
}

QStringList contents(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

Q_DECLARE_METATYPE(std::function<void(QJsonObject&)>)

class KestruneTest : public QObject {
    Q_OBJECT

private slots:
    void modes_data() {
        using Edit = std::function<void(QJsonObject&)>;
        QTest::addColumn<Edit>("profile");
        QTest::addColumn<QStringList>("before");  // a corvanta-sim command, or none
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("startType");
        QTest::addColumn<bool>("cleaned");
        QTest::addColumn<QString>("line");

        const Edit asIs;
        const Edit noSpooler = [](QJsonObject& p) {
            QJsonObject services = p["services"].toObject();
            services.remove("Spooler");
            p["services"] = services;
        };
        const Edit markedForDeletion = [](QJsonObject& p) {
            QJsonObject services = p["services"].toObject();
            QJsonObject spooler = services["Spooler"].toObject();
            spooler["markedForDeletion"] = true;
            services["Spooler"] = spooler;
            p["services"] = services;
        };
        const Edit noSpoolValue = [](QJsonObject& p) {
            QJsonObject registry = p["registry"].toObject();
            const QString key =
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
            QJsonObject printers = registry[key].toObject();
            printers.remove("DefaultSpoolDirectory");
            registry[key] = printers;
            p["registry"] = registry;
        };
        const Edit firewallStopped = [](QJsonObject& p) {
            QJsonObject firewall = p["firewall"].toObject();
            firewall["serviceRunning"] = false;
            p["firewall"] = firewall;
        };
        const int r = svc::kRunning, pend = svc::kStopPending;
        const int automatic = svc::kAutoStart, demand = svc::kDemandStart;
        const QStringList none;
        const QStringList stop{"service", "stop", "Spooler"};
        const QStringList hang{"service", "hang", "Spooler"};

        QTest::newRow("0 running: stopped, set to automatic, started")
            << asIs << none << QStringList{"0"} << 0 << r << automatic << false << "";
        QTest::newRow("0 stopped: set to automatic, started")
            << asIs << stop << QStringList{"0"} << 0 << r << automatic << false << "";
        QTest::newRow("0 missing service: 1060")
            << noSpooler << none << QStringList{"0"} << 1060 << kNoSuchState << 0 << false << "";
        QTest::newRow("0 marked for deletion: stopped, then gone, 1072")
            << markedForDeletion << none << QStringList{"0"} << 1072 << kNoSuchState << 0 << false
            << "";
        QTest::newRow("0 hung stop: left stop-pending after the limit, 1053")
            << asIs << hang << QStringList{"0"} << 1053 << pend << demand << false << "";
        QTest::newRow("2 spool folder emptied, sub-folders too, spooler started")
            << asIs << none << QStringList{"2"} << 0 << r << automatic << true << "";
        QTest::newRow("2 without the spool folder value: the fallback folder")
            << noSpoolValue << none << QStringList{"2"} << 0 << r << automatic << true
            << "Error querying registry value. Error code: 2\n";
        QTest::newRow("2 hung stop: folder cleaned, the second stop refused")
            << asIs << hang << QStringList{"2"} << 1061 << pend << demand << true << "";
        QTest::newRow("1 both groups enabled for the current profile")
            << asIs << none << QStringList{"1"} << 0 << r << demand << false << "";
        QTest::newRow("1 with the firewall service stopped: 1")
            << firewallStopped << none << QStringList{"1"} << 1 << r << demand << false << "";
        QTest::newRow("3 device re-detection")
            << asIs << none << QStringList{"3"} << 0 << r << demand << false << "";
        QTest::newRow("1000 everything, the code of the last step")
            << asIs << stop << QStringList{"1000"} << 0 << r << automatic << true << "";
        QTest::newRow("1000 without a spooler: the re-detection's code all the same")
            << noSpooler << none << QStringList{"1000"} << 0 << kNoSuchState << 0 << true << "";
        QTest::newRow("7 does nothing")
            << asIs << none << QStringList{"7"} << 0 << r << demand << false << "";
        QTest::newRow("text after the number is ignored")
            << asIs << none << QStringList{" 7 and more"} << 0 << r << demand << false << "";
        QTest::newRow("no argument: 87, nothing changed")
            << asIs << none << QStringList{} << 87 << r << demand << false << "";
        QTest::newRow("not a number: 87, nothing changed")
            << asIs << none << QStringList{"zero"} << 87 << r << demand << false << "";
        QTest::newRow("out of range: 87, nothing changed")
            << asIs << none << QStringList{"99999999999"} << 87 << r << demand << false << "";
    }

    void modes() {
        QFETCH(std::function<void(QJsonObject&)>, profile);
        QFETCH(QStringList, before);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(int, state);
        QFETCH(int, startType);
        QFETCH(bool, cleaned);
        QFETCH(QString, line);

        const std::unique_ptr<PcFolder> folder = repairPc(profile);
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        const QString spool = spoolFolder(*folder, L"C:\\Windows\\system32\\spool\\PRINTERS");
        fillSpoolFolder(spool);
        if (!before.isEmpty()) {
            QCOMPARE(runTool(folder->directory(), before), 0);
        }

        const Run run = runKestrune(folder->directory(), arguments);
        QCOMPARE(run.exitCode, exitCode);
        // Standard output and error together: the console line expected, no other.
        if (line.isEmpty()) {
            QVERIFY2(!run.output.contains("Error"), qPrintable(run.output));
        } else {
            QVERIFY2(run.output.contains(line), qPrintable(run.output));
        }
        // A start is asked for and answered at once; the service is running a moment later.
        int stateNow = 0;
        int startTypeNow = 0;
        QTRY_VERIFY_WITH_TIMEOUT((spoolerNow(*folder, stateNow, startTypeNow), stateNow == state),
                                 3000);
        if (state != kNoSuchState) {
            QCOMPARE(startTypeNow, startType);
        }
        QVERIFY(QFileInfo(spool).isDir());
        QCOMPARE(contents(spool).isEmpty(), cleaned);
    }

    // Mode 1 enables both groups for the profiles in force, and a second run changes nothing.
    void firewallGroupsEnabled() {
        const std::unique_ptr<PcFolder> folder = repairPc({});
        auto groupEnabled = [&folder](const wchar_t* group) {
            std::unique_ptr<platform::sim::SimulatedPc> pc = folder->open();
            std::unique_ptr<platform::FirewallPolicy> policy;
            bool enabled = false;
            platform::fw::ProfileTypes profiles = 0;
            return pc->get<platform::Firewall>().openPolicy(policy) == 0 &&
                   policy->currentProfileTypes(profiles) == 0 &&
                   policy->isRuleGroupEnabled(profiles, group, enabled) == 0 && enabled;
        };
        QVERIFY(!groupEnabled(L"文件和打印机共享"));
        QCOMPARE(runKestrune(folder->directory(), {"1"}).exitCode, 0);
        QVERIFY(groupEnabled(L"文件和打印机共享"));
        QVERIFY(groupEnabled(L"网络发现"));
        const QByteArray before = fileText(folder->stateFile("firewall"));
        QCOMPARE(runKestrune(folder->directory(), {"1"}).exitCode, 0);
        QCOMPARE(fileText(folder->stateFile("firewall")), before);
    }

    // The stop asked for is a planned one, with the reason the repair gives.
    void stopCarriesItsReason() {
        const std::unique_ptr<PcFolder> folder = repairPc({});
        QCOMPARE(runKestrune(folder->directory(), {"0"}).exitCode, 0);
        QCOMPARE(qint64(serviceRecord(*folder, "Spooler")["lastStopReason"].toDouble()),
                 qint64(0x4004000B));
    }

    // Killed at any moment of its longest run (every repair in turn), Kestrune leaves each
    // state document whole: the PC opens with every document passing its facility's check, and
    // the next run is not held up by anything the killed one left behind (locks, pending states).
    void killedAtAnyMomentLeavesWholeState() {
        constexpr int kKills = 12;
        constexpr int kLatestKillMs = 400;  // a whole run of mode 1000 takes about this long
        const std::unique_ptr<PcFolder> folder = repairPc({});
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANTA_MACHINE", folder->directory());
        environment.insert("KESTRUNE_STOP_TIMEOUT_MS", kShortStopLimitMs);
        for (int round = 0; round < kKills; ++round) {
            fillSpoolFolder(spoolFolder(*folder, L"C:\\Windows\\system32\\spool\\PRINTERS"));
            QProcess kestrune;
            kestrune.setProcessEnvironment(environment);
            kestrune.start(QStringLiteral(CORVANTA_KESTRUNE), {"1000"});
            QVERIFY(kestrune.waitForStarted());
            QThread::msleep(QRandomGenerator::global()->bounded(0, kLatestKillMs));
            ::kill(static_cast<pid_t>(kestrune.processId()), SIGKILL);
            QVERIFY(kestrune.waitForFinished());
            QString error;
            QVERIFY2(platform::sim::Machine::open(folder->directory(),
                                                  platform::sim::registeredFacilities(), error),
                     qPrintable(QString("after kill %1: %2").arg(round).arg(error)));
        }
        // A stop or start the killed run asked for ends by the clock; then the repair runs.
        int state = 0;
        int startType = 0;
        QTRY_VERIFY_WITH_TIMEOUT((spoolerNow(*folder, state, startType),
                                  state == svc::kRunning || state == svc::kStopped),
                                 5000);
        QCOMPARE(runKestrune(folder->directory(), {"0"}).exitCode, 0);
    }
};

namespace {
const bool registered = registerTest<KestruneTest>("KestruneTest");
}

#include "KestruneTest.moc"
