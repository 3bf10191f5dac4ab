#include <QtTest>

#include "TestMain.h"
#include "platform/FileSystem.h"
#include "platform/MachineFacts.h"
#include "platform/SystemInfo.h"

using platform::KnownFolder;

Q_DECLARE_METATYPE(platform::KnownFolder)

// System information, paths and the machine fingerprint's facts from the running Windows.
class SystemBackendTest : public QObject {
    Q_OBJECT

private slots:
    void versionIsWindowsSevenOrLater() {
        const platform::WindowsVersion version = platform::systemInfo().version();
        QVERIFY2(version.isAtLeast(6, 1), qPrintable(QStringLiteral("%1.%2 build %3")
                                                         .arg(version.major)
                                                         .arg(version.minor)
                                                         .arg(version.build)));
        QVERIFY(version.build > 0);
    }

    // A 32-bit program under WOW64 runs on a 64-bit processor.
    void architectureMatchesWow64() {
        if (platform::systemInfo().isWow64()) {
            QCOMPARE(platform::systemInfo().nativeArchitecture(),
                     platform::ProcessorArchitecture::Amd64);
        } else {
            QCOMPARE(platform::systemInfo().nativeArchitecture(),
                     platform::ProcessorArchitecture::X86);
        }
    }

    void namesAreTheSystemsOwn() {
        QCOMPARE(QString::fromStdWString(platform::systemInfo().computerName()),
                 qEnvironmentVariable("COMPUTERNAME"));
        QCOMPARE(QString::fromStdWString(platform::systemInfo().userName()).toLower(),
                 qEnvironmentVariable("USERNAME").toLower());
    }

    void tempFolderEndsInBackslashAndExists() {
        const QString temp = QString::fromStdWString(platform::systemInfo().tempFolder());
        QVERIFY2(temp.endsWith(QLatin1Char('\\')), qPrintable(temp));
        QVERIFY(QFileInfo(temp).isDir());
    }

    void knownFoldersExist_data() {
        QTest::addColumn<KnownFolder>("folder");
        QTest::addColumn<QString>("variable");  // the environment's name for it, when it has one
        QTest::newRow("Windows") << KnownFolder::Windows << "SystemRoot";
        QTest::newRow("System") << KnownFolder::System << "";
        QTest::newRow("Fonts") << KnownFolder::Fonts << "";
        QTest::newRow("ProgramFiles") << KnownFolder::ProgramFiles << "ProgramFiles";
        QTest::newRow("ProgramData") << KnownFolder::ProgramData << "ProgramData";
        QTest::newRow("RoamingAppData") << KnownFolder::RoamingAppData << "APPDATA";
        QTest::newRow("LocalAppData") << KnownFolder::LocalAppData << "LOCALAPPDATA";
        QTest::newRow("Documents") << KnownFolder::Documents << "";
        QTest::newRow("Desktop") << KnownFolder::Desktop << "";
    }
    void knownFoldersExist() {
        QFETCH(KnownFolder, folder);
        QFETCH(QString, variable);
        const QString path = QString::fromStdWString(platform::systemInfo().knownFolder(folder));
        QVERIFY(!path.isEmpty());
        QVERIFY2(QFileInfo(path).isDir(), qPrintable(path));
        if (!variable.isEmpty()) {
            QCOMPARE(path.toLower(), qEnvironmentVariable(qPrintable(variable)).toLower());
        }
    }

    void pathsAreTheirOwnHostPaths() {
        const std::wstring path = L"C:\\Windows\\System32";
        QCOMPARE(platform::fileSystem().hostPath(path), path);
        QCOMPARE(platform::fileSystem().windowsPath(path), path);
    }

    void fingerprintFacts() {
        const std::array<std::uint32_t, 4> leaf0 = platform::processorIdentificationLeaf0();
        QVERIFY(leaf0[0] > 0);  // the highest leaf the processor has
        QVERIFY(platform::systemVolumeSerial() != 0);
        for (const std::vector<std::uint8_t>& address : platform::adapterAddresses()) {
            QVERIFY(!address.empty());
            QVERIFY(address.size() <= 8);
        }
    }
};

namespace {
const bool registered = registerTest<SystemBackendTest>("SystemBackendTest");
}

#include "SystemBackendTest.moc"
