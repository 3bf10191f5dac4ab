#include <QProcess>
#include <QtTest>

#include "PcFolder.h"
#include "TestMain.h"

namespace {

// Each run is a whole start and exit; more runs under the sanitizers (the script sets it).
constexpr int kDefaultRuns = 10;
constexpr int kRunTimeoutMs = 60000;

int runs() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariable("CORVANTA_EXIT_STRESS_RUNS").toInt(&ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : kDefaultRuns;
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
            const QByteArray report = "run " + QByteArray::number(run) + ":\n" + err.right(4000);
            QVERIFY2(out.contains("burst sent"), report.constData());
            QVERIFY2(out.contains("late call unanswered"), report.constData());
            QVERIFY2(child.exitStatus() == QProcess::NormalExit, report.constData());
            QVERIFY2(child.exitCode() == 0, report.constData());
            for (const char* finding : {"Sanitizer", "runtime error:"}) {
                QVERIFY2(!err.contains(finding), report.constData());
            }
        }
    }
};

namespace {
const bool registered = registerTest<ExitStressTest>("ExitStressTest");
}

#include "ExitStressTest.moc"
