#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "TestMain.h"
#include "platform/sim/shell/SimCommandResolver.h"

using platform::sim::CommandKind;
Q_DECLARE_METATYPE(CommandKind)

namespace {

// "C:\a\b" lives at "/machine/drive_c/a/b" in this test's mapping.
platform::sim::SimProcessesConfig testConfig() {
    platform::sim::SimProcessesConfig config;
    config.programFolder = L"/opt/corvanta";
    config.hostPath = [](const std::wstring& path) {
        std::wstring host = L"/machine/drive_c" + path.substr(2);
        for (wchar_t& c : host) {
            c = c == L'\\' ? L'/' : c;
        }
        return host;
    };
    return config;
}

QStringList toQt(const std::vector<std::string>& argv) {
    QStringList list;
    for (const std::string& argument : argv) {
        list.append(QString::fromStdString(argument));
    }
    return list;
}

}  // namespace

class SimResolverTest : public QObject {
    Q_OBJECT

private slots:
    void resolves_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<CommandKind>("kind");
        QTest::addColumn<QStringList>("argv");
        const QString sim = QStringLiteral("/opt/corvanta/corvanta-sim");
        QTest::newRow("own program by Windows path")
            << R"("C:\Program Files\Corvanta\Kestrune.exe" 3)" << CommandKind::OwnProgram
            << QStringList{"/opt/corvanta/kestrune", "3"};
        QTest::newRow("own program in the program folder")
            << R"(/opt/corvanta\KESTRUNE.EXE 1)" << CommandKind::OwnProgram
            << QStringList{"/opt/corvanta/kestrune", "1"};
        QTest::newRow("own program in another folder of this machine")
            << R"(/tmp/elsewhere\Kestrune.exe 0)" << CommandKind::OwnProgram
            << QStringList{"/tmp/elsewhere/kestrune", "0"};
        QTest::newRow("crash reporter")
            << "dumper.exe 12 34 00FF 8.1.0.0 empty printer" << CommandKind::OwnProgram
            << QStringList{
                   "/opt/corvanta/dumper", "12", "34", "00FF", "8.1.0.0", "empty", "printer"};
        QTest::newRow("own name without .exe is the host's")
            << "kestrune 1" << CommandKind::Host << QStringList{"kestrune", "1"};
        QTest::newRow("cmd /c") << "cmd /c echo hi" << CommandKind::Shell
                                << QStringList{"/bin/sh", "-c", "echo hi"};
        QTest::newRow("cmd.exe by path, other switches")
            << R"(C:\Windows\System32\cmd.exe /q /C dir "x y")" << CommandKind::Shell
            << QStringList{"/bin/sh", "-c", R"(dir "x y")"};
        QTest::newRow("Windows program through cmd")
            << R"(cmd /c fontview C:\Windows\Fonts\ocrb.ttf)" << CommandKind::SimProgram
            << QStringList{sim, "program", "fontview", R"(C:\Windows\Fonts\ocrb.ttf)"};
        QTest::newRow("cmd /c with the command in quotes")
            << R"(cmd /c "fontview /opt/corvanta\OCRAExtended.ttf")" << CommandKind::SimProgram
            << QStringList{sim, "program", "fontview", R"(/opt/corvanta\OCRAExtended.ttf)"};
        QTest::newRow("rundll32") << R"(rundll32 printui.dll,PrintUIEntry /y /n "Office Laser")"
                                  << CommandKind::SimProgram
                                  << QStringList{
                                         sim,  "program", "rundll32",    "printui.dll,PrintUIEntry",
                                         "/y", "/n",      "Office Laser"};
        QTest::newRow("mmc by path, upper case")
            << R"(C:\Windows\System32\MMC.EXE printmanagement.msc)" << CommandKind::SimProgram
            << QStringList{sim, "program", "mmc", "printmanagement.msc"};
        QTest::newRow("console document opens in mmc")
            << "devmgmt.msc" << CommandKind::SimProgram
            << QStringList{sim, "program", "mmc", "devmgmt.msc"};
        QTest::newRow("powershell")
            << R"(PowerShell.exe -Command "Enable-WindowsOptionalFeature -Online")"
            << CommandKind::SimProgram
            << QStringList{sim, "program", "powershell", "-Command",
                           "Enable-WindowsOptionalFeature -Online"};
        QTest::newRow("shutdown never reaches the host")
            << "/sbin/shutdown -r now" << CommandKind::SimProgram
            << QStringList{sim, "program", "shutdown", "-r", "now"};
        QTest::newRow("program under a drive letter")
            << R"("C:\Tools\setup.exe" /S)" << CommandKind::WindowsPath
            << QStringList{"/machine/drive_c/Tools/setup.exe", "/S"};
        QTest::newRow("host command")
            << R"(ls -l "/tmp/a b")" << CommandKind::Host << QStringList{"ls", "-l", "/tmp/a b"};
        QTest::newRow("empty") << "" << CommandKind::Host << QStringList{};
    }
    void resolves() {
        QFETCH(QString, line);
        QFETCH(CommandKind, kind);
        QFETCH(QStringList, argv);
        const auto resolved = platform::sim::resolveCommandLine(line.toStdWString(), testConfig());
        QCOMPARE(toQt(resolved.argv), argv);
        if (!argv.isEmpty()) {
            QCOMPARE(resolved.kind, kind);
        }
    }

    void declinedElevationStartsNothing() {
        auto config = testConfig();
        config.consentGiven = false;
        auto processes = platform::sim::makeSimProcesses(config);
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("ran"));
        std::unique_ptr<platform::Process> started;
        const auto error = processes->shellExecute(
            L"runas", L"sh", QStringLiteral("-c \"touch '%1'\"").arg(marker).toStdWString(), {},
            platform::ShowMode::Normal, &started);
        QCOMPARE(error, platform::win32::kCancelled);
        QVERIFY(!started);
        QVERIFY(!QFile::exists(marker));
    }

    void acceptedElevationStartsTheProgram() {
        auto processes = platform::sim::makeSimProcesses(testConfig());
        std::unique_ptr<platform::Process> started;
        QCOMPARE(processes->shellExecute(L"RunAs", L"sh", L"-c \"exit 7\"", {},
                                         platform::ShowMode::Normal, &started),
                 0u);
        QVERIFY(started);
        QVERIFY(started->wait(-1));
        QCOMPARE(started->exitCode(), 7u);
    }

    void openingAFolderSucceedsWithoutAProcess() {
        auto processes = platform::sim::makeSimProcesses(testConfig());
        QTemporaryDir dir;
        std::unique_ptr<platform::Process> started;
        QCOMPARE(processes->shellExecute(L"open", dir.path().toStdWString(), {}, {},
                                         platform::ShowMode::Normal, &started),
                 0u);
        QVERIFY(!started);
        QCOMPARE(processes->shellExecute(L"open", L"/no/such/corvanta/file", {}, {},
                                         platform::ShowMode::Normal, &started),
                 platform::win32::kFileNotFound);
    }

    // A program from System32 is the 32-bit one when a 32-bit program on a 64-bit PC starts it
    // with the file-system redirection on, and the system's own otherwise; the Windows folder
    // (explorer) is never redirected. The stand-in for corvanta-sim exits with 31 for the
    // 32-bit program, 30 for the system's own, 32 when it was not told.
    void systemProgramsFollowTheRedirection_data() {
        QTest::addColumn<bool>("wow64");
        QTest::addColumn<bool>("native");
        QTest::addColumn<bool>("throughShell");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<uint>("exitCode");
        const QString rundll32 = QStringLiteral("C:\\Windows\\System32\\rundll32.exe printui.dll");
        const QString fontview = QStringLiteral("cmd /c \"fontview C:\\fonts\\a.ttf\"");
        QTest::newRow("64-bit PC, redirected") << true << false << false << rundll32 << 31u;
        QTest::newRow("64-bit PC, system folder") << true << true << false << rundll32 << 30u;
        QTest::newRow("32-bit PC") << false << false << false << rundll32 << 30u;
        QTest::newRow("through cmd, redirected") << true << false << false << fontview << 31u;
        QTest::newRow("through cmd, system folder") << true << true << false << fontview << 30u;
        QTest::newRow("shell, redirected") << true << false << true << rundll32 << 31u;
        QTest::newRow("shell, system folder") << true << true << true << rundll32 << 30u;
        QTest::newRow("Windows folder")
            << true << false << false << QStringLiteral("explorer.exe C:\\") << 32u;
    }
    void systemProgramsFollowTheRedirection() {
        QFETCH(bool, wow64);
        QFETCH(bool, native);
        QFETCH(bool, throughShell);
        QFETCH(QString, commandLine);
        QFETCH(uint, exitCode);
        QTemporaryDir folder;
        QFile tool(folder.filePath(QStringLiteral("corvanta-sim")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(
            "#!/bin/sh\ncase \"${CORVANTA_SIM_WOW64_PROGRAM-unset}\" in\n"
            "1) exit 31;; 0) exit 30;; *) exit 32;;\nesac\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto config = testConfig();
        config.programFolder = folder.path().toStdWString();
        config.wow64 = wow64;
        auto processes = platform::sim::makeSimProcesses(config);
        std::unique_ptr<platform::Process> started;
        if (throughShell) {
            const std::wstring line = commandLine.toStdWString();
            const std::size_t blank = line.find(L' ');
            const std::wstring file = line.substr(0, blank);
            const std::wstring parameters = line.substr(blank + 1);
            const auto error =
                native ? processes->shellExecuteNative(L"open", file, parameters, {},
                                                       platform::ShowMode::Normal, &started)
                       : processes->shellExecute(L"open", file, parameters, {},
                                                 platform::ShowMode::Normal, &started);
            QCOMPARE(error, 0u);
        } else {
            platform::StartRequest request;
            request.commandLine = commandLine.toStdWString();
            request.nativeSystemFolder = native;
            QCOMPARE(processes->start(request, started), 0u);
        }
        QVERIFY(started);
        QVERIFY(started->wait(10000));
        QCOMPARE(started->exitCode(), exitCode);
    }
};

namespace {
const bool registered = registerTest<SimResolverTest>("SimResolverTest");
}
#include "SimResolverTest.moc"
