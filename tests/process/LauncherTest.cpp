#include <QTemporaryDir>
#include <QtTest>

#include "TestMain.h"
#include "process/ProcessLauncher.h"

class LauncherTest : public QObject {
    Q_OBJECT

private slots:
    // The started shell exits at once; its background child touches the marker later.
    void launchAndWaitWaitsForGrandchildren() {
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("marker"));
        const QString line =
            QStringLiteral("sh -c \"(sleep 0.5; touch '%1') & exit 0\"").arg(marker);
        QCOMPARE(process::launchAndWait(line), 0u);
        QVERIFY(QFile::exists(marker));
    }

    void launchAndWaitReportsMissingProgram() {
        QCOMPARE(process::launchAndWait(QStringLiteral("corvanta-no-such-program-x1")), 2u);
    }

    void runAndCapture_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("more than 4096 bytes")
            << R"(sh -c "head -c 100000 /dev/zero | tr '\0' a")" << QString(4096, QLatin1Char('a'));
        QTest::newRow("nothing written") << R"(sh -c "exit 3")" << QString();
        QTest::newRow("output and errors on one pipe")
            << R"(sh -c "echo out; echo err 1>&2")" << QStringLiteral("out\nerr\n");
        QTest::newRow("missing program") << "corvanta-no-such-program-x1"
                                         << "error|2";
    }
    void runAndCapture() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(process::runAndCapture(line), expected);
    }

    // A child that inherited standard input would wait for the terminal here.
    void runAndCaptureGivesNoInput() {
        QCOMPARE(process::runAndCapture(R"(sh -c "cat; echo done")"), QStringLiteral("done\n"));
    }
};

namespace {
const bool registered = registerTest<LauncherTest>("LauncherTest");
}
#include "LauncherTest.moc"
