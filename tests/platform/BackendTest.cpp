#include <QTemporaryDir>
#include <QTest>

#include "TestMain.h"

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

using namespace platform;

// The accessors set themselves up once per process, so this is the only case that uses them:
// the machine named by CORVANTA_MACHINE, seeded from the default profile on first use.
class BackendTest : public QObject {
    Q_OBJECT

private slots:
    void firstUseSeedsTheConfiguredMachine() {
        QVERIFY(m_folder.isValid());
        qputenv("CORVANTA_MACHINE", QFile::encodeName(m_folder.path()));
        QCOMPARE(startupError(), std::wstring());
        QCOMPARE(systemInfo().version().build, 19045u);
        QVERIFY(systemInfo().isWow64());
        std::wstring guid;
        // The PC is 64-bit: this 32-bit program reads the machine's key in the 64-bit view.
        QCOMPARE(reg::readString(registry(), RegistryRoot::LocalMachine,
                                 L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid", guid,
                                 kKeyRead | kKeyWow64_64Key),
                 win32::kSuccess);
        QVERIFY(!guid.empty());
        QCOMPARE(QString::fromStdWString(fileSystem().hostPath(L"c:\\windows\\fonts")),
                 m_folder.path() + QStringLiteral("/drive_c/Windows/Fonts"));
    }

private:
    QTemporaryDir m_folder;
};

namespace {
const bool registered = registerTest<BackendTest>("BackendTest");
}  // namespace

#include "BackendTest.moc"
