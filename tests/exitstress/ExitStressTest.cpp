#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <signal.h>

#include "PcFolder.h"
#include "TestMain.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"

namespace {

// Each run is a whole start and exit; more runs under the sanitizers (the script sets it).
constexpr int kDefaultRuns = 10;
constexpr int kRunTimeoutMs = 60000;

int runs() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariable("CORVANTA_EXIT_STRESS_RUNS").toInt(&ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : kDefaultRuns;
}

// What of a run's error output a failure shows: from the first sanitizer report on when there
// is one (its first lines say what and where), the end of it otherwise.
QByteArray reported(const QByteArray& err) {
    constexpr int kShownBytes = 6000;
    const int finding = err.indexOf("==WARNING: ") >= 0 ? err.indexOf("==WARNING: ")
                                                        : err.indexOf("WARNING: ThreadSanitizer");
    const int start = finding >= 0 ? finding : err.indexOf("==ERROR: ");
    return start >= 0 ? err.mid(start, kShownBytes) : err.right(kShownBytes);
}

}  // namespace

class ExitStressTest : public QObject {
    Q_OBJECT

private slots:
    // The process ends while detached threads still use the simulated PC and post to its
    // windows: every run exits normally, without a crash or a sanitizer report.
    void quittingWithThreadsAliveIsClean() {
        const auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        for (int run = 0; run < runs(); ++run) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("CORVANTA_MACHINE"), pc->directory());
            child.setProcessEnvironment(environment);
            child.start(QStringLiteral(EXIT_CHILD_PATH), QStringList());
            QVERIFY2(child.waitForFinished(kRunTimeoutMs), "the program did not end");
            const QByteArray out = child.readAllStandardOutput();
            const QByteArray err = child.readAllStandardError();
            const QByteArray report = "run " + QByteArray::number(run) + ":\n" + reported(err);
            QVERIFY2(out.contains("burst sent"), report.constData());
            QVERIFY2(out.contains("late call unanswered"), report.constData());
            QVERIFY2(child.exitStatus() == QProcess::NormalExit, report.constData());
            QVERIFY2(child.exitCode() == 0, report.constData());
            for (const char* finding : {"Sanitizer", "runtime error:"}) {
                QVERIFY2(!err.contains(finding), report.constData());
            }
        }
    }

    // Killed at any moment, also while its thread rewrites the PC's printers without pause,
    // the program leaves every state document of the PC whole: the PC opens with each document
    // passing its facility's check.
    void killedAtAnyMomentLeavesWholeState() {
        constexpr int kKills = 10;
        constexpr int kLatestKillMs = 40;  // after the burst: the writes are under way
        const auto pc = PcFolder::fromFixture(QStringLiteral("office-pc"));
        QVERIFY2(pc->isValid(), qPrintable(pc->error()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CORVANTA_MACHINE"), pc->directory());
        for (int round = 0; round < kKills; ++round) {
            QProcess child;
            child.setProcessEnvironment(environment);
            child.start(QStringLiteral(EXIT_CHILD_PATH), QStringList());
            QVERIFY(child.waitForStarted());
            // Every other round is killed during start-up, the others once the burst is out.
            if (round % 2 == 1) {
                QVERIFY(child.waitForReadyRead(kRunTimeoutMs));
            }
            QThread::msleep(QRandomGenerator::global()->bounded(0, kLatestKillMs));
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());
            QString error;
            QVERIFY2(platform::sim::Machine::open(pc->directory(),
                                                  platform::sim::registeredFacilities(), error),
                     qPrintable(QString("after kill %1: %2").arg(round).arg(error)));
        }
    }
};

namespace {
const bool registered = registerTest<ExitStressTest>("ExitStressTest");
}

#include "ExitStressTest.moc"
