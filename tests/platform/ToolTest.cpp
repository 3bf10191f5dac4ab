#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/sim/core/ProcessPc.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(CORVANTA_SIM_TOOL), arguments);
    Run run;
    if (tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit) {
        run.exitCode = tool.exitCode();
    }
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

}  // namespace

class ToolTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_folder.isValid());
        m_machine = m_folder.path() + QStringLiteral("/pc");
    }
    void cleanup() { QDir(m_machine).removeRecursively(); }

    void createShowAndChange() {
        Run run = runTool({"create", "--profile", "win7", m_machine});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = runTool({"--machine", m_machine, "show", "system"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("Windows 6.1 build 7601, service pack 1.0"), qPrintable(run.out));

        run = runTool({"--machine", m_machine, "reg", "set", "HKCU\\Software\\Tool", "Answer",
                       "REG_DWORD", "0x2a"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = runTool({"--machine", m_machine, "reg", "query", "hkey_current_user\\software\\tool",
                       "answer"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QRegularExpression("Answer +REG_DWORD +0x2a")),
                 qPrintable(run.out));

        run = runTool({"--machine", m_machine, "show", "registry"});
        QVERIFY(run.out.contains("HKEY_CURRENT_USER\\Software\\Tool"));

        run = runTool({"--machine", m_machine, "reg", "delete", "HKCU\\Software\\Tool"});
        QCOMPARE(run.exitCode, 0);
        run = runTool({"--machine", m_machine, "reg", "query", "HKCU\\Software\\Tool"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("unable to find"));
    }

    void createRefusesToOverwrite() {
        QCOMPARE(runTool({"create", m_machine}).exitCode, 0);
        const Run again = runTool({"create", "--profile", "empty", m_machine});
        QVERIFY(again.exitCode != 0);
        QVERIFY2(again.err.contains("--force"), qPrintable(again.err));
        QCOMPARE(runTool({"create", "--force", "--profile", "empty", m_machine}).exitCode, 0);
        QVERIFY(runTool({"--machine", m_machine, "show", "system"}).out.contains("EMPTY-PC"));
    }

    void createNeverClearsAForeignFolder() {
        QVERIFY(QDir().mkpath(m_machine + "/precious"));
        const Run run = runTool({"create", "--force", m_machine});
        QVERIFY(run.exitCode != 0);
        QVERIFY(QFileInfo(m_machine + "/precious").isDir());
    }

    void badProfileCreatesNothing() {
        const QString file = m_folder.path() + "/bad.json";
        QFile bad(file);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("{\"system\": {\"buildd\": 1}}");
        bad.close();
        const Run run = runTool({"create", "--profile", file, m_machine});
        QVERIFY(run.exitCode != 0);
        QCOMPARE(run.err.trimmed().count('\n'), 0);
        QVERIFY2(run.err.contains(file) && run.err.contains("system.buildd"), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(m_machine));
    }

    void programs() {
        QCOMPARE(runTool({"create", m_machine}).exitCode, 0);
        Run run = runTool({"--machine", m_machine, "program", "C:\\Windows\\System32\\SHUTDOWN.EXE",
                           "/r", "/t", "0"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(
            runTool({"--machine", m_machine, "show", "system"}).out.contains("restart requested"));
        run = runTool({"--machine", m_machine, "program", "notepad", "x"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.trimmed().count('\n'), 0);
        QVERIFY(!run.err.isEmpty());
    }

    void errorsAreOneLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("bad reg usage") << QStringList{"reg", "set", "HKCU\\X"};
        QTest::newRow("bad key") << QStringList{"reg", "query", "HKEY_USERS\\X"};
        QTest::newRow("bad dword") << QStringList{"reg", "set", "HKCU\\X", "v", "REG_DWORD", "x"};
        QTest::newRow("show a folder that is no PC") << QStringList{"show"};
    }

    void errorsAreOneLine() {
        QFETCH(QStringList, arguments);
        QVERIFY(QDir().mkpath(m_machine + "/unrelated"));
        const Run run = runTool(QStringList{"--machine", m_machine} + arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.trimmed().count('\n'), 0);
        QVERIFY(!run.err.isEmpty());
    }

private:
    QTemporaryDir m_folder;
    QString m_machine;
};

namespace {
const bool registered = registerTest<ToolTest>("ToolTest");
}  // namespace

#include "ToolTest.moc"
