#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "TestMain.h"

class CrashHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void crashStartsTheReporterWithItsArguments() {
        QTemporaryDir crashDir;
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CORVANTA_CRASH_DIR"), crashDir.path());
        helper.setProcessEnvironment(environment);
        helper.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/process_crash_helper"),
            QStringList());
        QVERIFY(helper.waitForStarted());
        const QString pid = QString::number(helper.processId());
        QVERIFY(helper.waitForFinished(30000));
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);  // still dies of the signal

        QFile report(crashDir.filePath(QStringLiteral("corvanta-crash-%1.txt").arg(pid)));
        QVERIFY2(report.open(QIODevice::ReadOnly), qPrintable(report.fileName()));
        const QStringList lines = QString::fromUtf8(report.readAll()).split(QLatin1Char('\n'));
        QVERIFY(lines.size() >= 7);
        QVERIFY(lines[0].startsWith(QStringLiteral("time: ")));
        QCOMPARE(lines[1], QStringLiteral("argument 1: ") + pid);
        QCOMPARE(lines[2], QStringLiteral("argument 2: ") + pid);  // the main thread
        QVERIFY(QRegularExpression(QStringLiteral("^argument 3: [0-9A-F]{8,16}$"))
                    .match(lines[3])
                    .hasMatch());
        QCOMPARE(lines[4], QStringLiteral("argument 4: 8.1.0.0"));
        QCOMPARE(lines[5], QStringLiteral("argument 5: empty"));
        QCOMPARE(lines[6], QStringLiteral("argument 6: crash-test"));
    }
};

namespace {
const bool registered = registerTest<CrashHandlerTest>("CrashHandlerTest");
}
#include "CrashHandlerTest.moc"
