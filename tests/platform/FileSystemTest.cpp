#include <QDir>
#include <QTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/sim/core/ProcessPc.h"

class FileSystemTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_machine = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(m_machine->isValid(), qPrintable(m_machine->error()));
    }

    void hostPaths_data() {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("underMachine");
        QTest::newRow("exact case") << "C:\\Windows\\system32\\spool\\PRINTERS"
                                    << "drive_c/Windows/system32/spool/PRINTERS";
        QTest::newRow("any case") << "c:\\WINDOWS\\System32\\SPOOL\\printers"
                                  << "drive_c/Windows/system32/spool/PRINTERS";
        QTest::newRow("trailing separator") << "C:\\users\\tester\\appdata\\local\\temp\\"
                                            << "drive_c/Users/Tester/AppData/Local/Temp/";
        QTest::newRow("new components keep their case") << "C:\\Windows\\NewFolder\\File.TXT"
                                                        << "drive_c/Windows/NewFolder/File.TXT";
        QTest::newRow("forward slashes") << "C:/ProgramData/x"
                                         << "drive_c/ProgramData/x";
        QTest::newRow("dot-dot stays on the drive") << "C:\\..\\..\\..\\etc\\passwd"
                                                    << "drive_c/etc/passwd";
        QTest::newRow("rooted without drive") << "\\Windows\\Fonts"
                                              << "drive_c/Windows/Fonts";
        QTest::newRow("long path form") << "\\\\?\\C:\\Windows"
                                        << "drive_c/Windows";
        QTest::newRow("drive root") << "C:\\"
                                    << "drive_c/";
        QTest::newRow("other drive") << "D:\\setup.exe"
                                     << "drive_d/setup.exe";
    }

    void hostPaths() {
        QFETCH(QString, windowsPath);
        QFETCH(QString, underMachine);
        const QString expected = m_machine->directory() + QLatin1Char('/') + underMachine;
        QCOMPARE(m_machine->pc().machine().fileSystem().hostPath(windowsPath), expected);
    }

    void otherPathsUnchanged_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("host path") << "/usr/bin/env";
        QTest::newRow("UNC path") << "\\\\server\\share\\file";
    }

    void otherPathsUnchanged() {
        QFETCH(QString, path);
        QCOMPARE(m_machine->pc().machine().fileSystem().hostPath(path), path);
        QCOMPARE(m_machine->pc().machine().fileSystem().windowsPath(path), path);
    }

    void windowsPathsOfHostPaths() {
        const auto& fileSystem = m_machine->pc().machine().fileSystem();
        const QString root = m_machine->directory();
        QCOMPARE(fileSystem.windowsPath(root + "/drive_c/Windows/Fonts/ocr.ttf"),
                 QStringLiteral("C:\\Windows\\Fonts\\ocr.ttf"));
        QCOMPARE(fileSystem.windowsPath(root + "/drive_c"), QStringLiteral("C:\\"));
        QCOMPARE(fileSystem.windowsPath(root + "/state/registry.json"),
                 root + "/state/registry.json");
        const std::wstring temp = L"C:\\Users\\Tester\\AppData\\Local\\Temp\\";
        QCOMPARE(fileSystem.windowsPath(fileSystem.hostPath(temp)), temp);
    }

private:
    std::unique_ptr<PcFolder> m_machine;
};

namespace {
const bool registered = registerTest<FileSystemTest>("FileSystemTest");
}  // namespace

#include "FileSystemTest.moc"
