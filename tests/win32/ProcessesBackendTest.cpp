#include <QtTest>

#include "TestMain.h"
#include "platform/Processes.h"

namespace win32 = platform::win32;

namespace {

// The output of a captured process until it ends.
QByteArray readAll(platform::Process& process) {
    QByteArray output;
    char buffer[256];
    long read = 0;
    while ((read = process.readOutput(buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<int>(read));
    }
    return output;
}

std::unique_ptr<platform::Process> started(const std::wstring& commandLine, bool capture) {
    platform::StartRequest request;
    request.commandLine = commandLine;
    request.show = platform::ShowMode::Hidden;
    request.captureOutput = capture;
    std::unique_ptr<platform::Process> process;
    const win32::Error error = platform::processes().start(request, process);
    if (error != win32::kSuccess) {
        qWarning("start failed with %u", error);
    }
    return process;
}

}  // namespace

// Starting programs, their exit codes and output, and the process list on the real system.
class ProcessesBackendTest : public QObject {
    Q_OBJECT

private slots:
    void exitCodeComesBack() {
        const std::unique_ptr<platform::Process> process = started(L"cmd.exe /c exit 3", false);
        QVERIFY(process);
        QVERIFY(process->wait(30000));
        QCOMPARE(process->exitCode(), 3u);
    }

    void outputIsCapturedUntilTheEnd() {
        const std::unique_ptr<platform::Process> process =
            started(L"cmd.exe /c echo first&& echo second 1>&2", true);
        QVERIFY(process);
        const QByteArray output = readAll(*process);
        QVERIFY2(output.contains("first") && output.contains("second"), output.constData());
        QVERIFY(process->wait(30000));
        QCOMPARE(process->exitCode(), 0u);
    }

    void missingProgramIsNotFound() {
        platform::StartRequest request;
        request.commandLine = L"corvanta-no-such-program.exe";
        std::unique_ptr<platform::Process> process;
        QCOMPARE(platform::processes().start(request, process), win32::kFileNotFound);
        QVERIFY(!process);
    }

    void workingDirectoryIsUsed() {
        const QString folder = QDir::tempPath();
        platform::StartRequest request;
        request.commandLine = L"cmd.exe /c cd";
        request.workingDirectory = QDir::toNativeSeparators(folder).toStdWString();
        request.captureOutput = true;
        request.show = platform::ShowMode::Hidden;
        std::unique_ptr<platform::Process> process;
        QCOMPARE(platform::processes().start(request, process), win32::kSuccess);
        const QString printed = QString::fromLocal8Bit(readAll(*process)).trimmed();
        QCOMPARE(printed.toLower(), QDir::toNativeSeparators(folder).toLower());
    }

    void listHoldsThisProcess() {
        std::vector<platform::ProcessEntry> entries;
        QCOMPARE(platform::processes().list(entries), win32::kSuccess);
        const std::uint32_t self = platform::processes().currentProcessId();
        QCOMPARE(self, static_cast<std::uint32_t>(QCoreApplication::applicationPid()));
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [self](const auto& entry) { return entry.pid == self; });
        QVERIFY(found != entries.end());
        QCOMPARE(QString::fromStdWString(found->exeName).toLower(), QString("test_win32.exe"));
    }

    void programPathIsThisProgram() {
        const QString path = QString::fromStdWString(platform::processes().currentProgramPath());
        QCOMPARE(QFileInfo(path).canonicalFilePath(),
                 QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    }

    void shellOpensAProgram() {
        std::unique_ptr<platform::Process> process;
        QCOMPARE(platform::processes().shellExecute(L"open", L"cmd.exe", L"/c exit 5", L"",
                                                    platform::ShowMode::Hidden, &process),
                 win32::kSuccess);
        QVERIFY(process);
        QVERIFY(process->wait(30000));
        QCOMPARE(process->exitCode(), 5u);
    }

    void shellReportsAMissingFile() {
        QCOMPARE(platform::processes().shellExecute(L"open", L"C:\\corvanta-no-such-file.exe",
                                                    L"", L"", platform::ShowMode::Hidden,
                                                    nullptr),
                 win32::kFileNotFound);
    }
};

namespace {
const bool registered = registerTest<ProcessesBackendTest>("ProcessesBackendTest");
}

#include "ProcessesBackendTest.moc"
