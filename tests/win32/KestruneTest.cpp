#include <QtTest>

#include "TestMain.h"
#include "platform/Processes.h"

// Kestrune.exe as Corvanta starts it: from beside this program, one mode argument, the answer
// in its exit code.
class KestruneTest : public QObject {
    Q_OBJECT

    static std::wstring program() {
        const QString folder = QFileInfo(QString::fromStdWString(
                                             platform::processes().currentProgramPath()))
                                   .absolutePath();
        return QDir::toNativeSeparators(folder + QStringLiteral("/Kestrune.exe")).toStdWString();
    }

private slots:
    void exitCodes_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<uint>("exitCode");
        QTest::newRow("no mode") << "" << 87u;
        QTest::newRow("not a number") << "x" << 87u;
        QTest::newRow("out of range") << "99999999999" << 87u;
        QTest::newRow("mode not in this build") << "1" << 120u;
    }
    void exitCodes() {
        QFETCH(QString, arguments);
        QFETCH(uint, exitCode);
        platform::StartRequest request;
        request.commandLine = platform::quoteArgument(program());
        if (!arguments.isEmpty()) {
            request.commandLine += L" " + arguments.toStdWString();
        }
        request.show = platform::ShowMode::Hidden;
        request.captureOutput = true;
        std::unique_ptr<platform::Process> process;
        QCOMPARE(platform::processes().start(request, process), platform::win32::kSuccess);
        char buffer[512];
        while (process->readOutput(buffer, sizeof buffer) > 0) {
        }
        QVERIFY(process->wait(30000));
        QCOMPARE(process->exitCode(), exitCode);
    }
};

namespace {
const bool registered = registerTest<KestruneTest>("KestruneTest");
}

#include "KestruneTest.moc"
