#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <QThread>
#include "TestMain.h"

#include <signal.h>

#include <thread>

#include "PcFolder.h"
#include "platform/sim/core/ChangeWatch.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/registry/RegistryDocument.h"
#include "platform/sim/registry/SimRegistry.h"

using namespace platform;

namespace {

constexpr int kGenerousTimeoutMs = 5000;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

// The values under HKCU\Software\CorvantaTest, read through a freshly opened machine.
bool readTestValues(const QString& directory, QMap<QString, QString>& values, QString& error) {
    const auto machine =
        sim::Machine::open(directory, platform::sim::registeredFacilities(), error);
    if (!machine) {
        return false;
    }
    sim::SimRegistry registry(machine->store());
    std::unique_ptr<RegistryKey> key;
    if (registry.openKey(RegistryRoot::CurrentUser, L"Software\\CorvantaTest", kKeyRead, key) !=
        win32::kSuccess) {
        return true;  // no writer got as far as creating it
    }
    std::vector<std::wstring> names;
    key->valueNames(names);
    for (const std::wstring& name : names) {
        std::wstring text;
        if (reg::readString(registry, RegistryRoot::CurrentUser, L"Software\\CorvantaTest", name,
                            text) != win32::kSuccess) {
            error = QStringLiteral("cannot read %1").arg(QString::fromStdWString(name));
            return false;
        }
        values.insert(QString::fromStdWString(name), QString::fromStdWString(text));
    }
    return true;
}

void startWriter(QProcess& process, const QString& directory, const QString& prefix, int count,
                 int size) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(CORVANTA_SIM_WRITER),
                  {directory, prefix, QString::number(count), QString::number(size)});
}

}  // namespace

class StateStoreTest : public QObject {
    Q_OBJECT

private slots:
    void corruptStateIsNamedAndKept() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        const QString path = test->stateFile(QStringLiteral("registry"));
        const QByteArray garbage("{\"keys\": {\"HKEY_LOCAL_MACHINE\": {}");
        writeAll(path, garbage);

        QString error;
        QVERIFY(
            !sim::Machine::open(test->directory(), platform::sim::registeredFacilities(), error));
        QVERIFY2(error.contains(path) && error.contains(QStringLiteral("corrupt")),
                 qPrintable(error));

        // A registry already in use refuses the change and leaves the file as it found it.
        sim::SimRegistry registry(test->pc().machine().store());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path)));
        QVERIFY(reg::writeDword(registry, RegistryRoot::CurrentUser, L"Software\\X", L"v", 1) !=
                win32::kSuccess);
        QCOMPARE(readAll(path), garbage);
    }

    void wrongShapeIsCorruptToo() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        const QString path = test->stateFile(QStringLiteral("registry"));
        writeAll(path, R"({"keys": {"HKEY_LOCAL_MACHINE\\X": {"v": {"type": "REG_DWORD"}}}})");
        QString error;
        QVERIFY(
            !sim::Machine::open(test->directory(), platform::sim::registeredFacilities(), error));
        QVERIFY2(error.contains(path) && error.contains(QStringLiteral("HKEY_LOCAL_MACHINE")),
                 qPrintable(error));
    }

    // A hand-edited count must neither be undefined behaviour nor stall the next update.
    void changeCountOfAnyNumberIsSafe_data() {
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<quint64>("expected");
        QTest::newRow("missing") << QJsonValue() << quint64(0);
        QTest::newRow("plain") << QJsonValue(41.0) << quint64(41);
        QTest::newRow("negative") << QJsonValue(-5.0) << quint64(0);
        QTest::newRow("fraction") << QJsonValue(2.5) << quint64(2);
        QTest::newRow("beyond 64 bits") << QJsonValue(1e30) << quint64(9007199254740992ULL);
        QTest::newRow("text") << QJsonValue(QStringLiteral("7")) << quint64(0);
    }

    void changeCountOfAnyNumberIsSafe() {
        QFETCH(QJsonValue, stored);
        QFETCH(quint64, expected);
        QJsonObject document;
        if (!stored.isUndefined() && !stored.isNull()) {
            document.insert(sim::StateStore::kChangeCountField, stored);
        }
        QCOMPARE(sim::StateStore::changeCount(document), expected);
    }

    // A program that asks for the same thing again and again (a restart, an Explorer window)
    // leaves a record of the latest requests only, oldest first.
    void requestLogsKeepTheLatest() {
        QJsonObject document{{"other", 1}};
        const int asked = sim::StateStore::kLoggedRequests + 50;
        for (int i = 0; i < asked; ++i) {
            sim::StateStore::appendToRequestLog(document, "requests", i);
        }
        const QJsonArray log = document.value("requests").toArray();
        QCOMPARE(log.size(), sim::StateStore::kLoggedRequests);
        QCOMPARE(log.first().toInt(), asked - sim::StateStore::kLoggedRequests);
        QCOMPARE(log.last().toInt(), asked - 1);
        QCOMPARE(document.value("other").toInt(), 1);
    }

    void killedWriterLeavesWholeState() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        constexpr int kKills = 20;
        constexpr int kValueSize = 20000;  // large documents widen the window of a write
        int written = 0;
        for (int round = 0; round < kKills; ++round) {
            QProcess writer;
            startWriter(writer, test->directory(), QStringLiteral("r%1_").arg(round), 0,
                        kValueSize);
            QVERIFY(writer.waitForStarted());
            // Killed at a random moment once it writes, however slowly the machine starts it.
            QVERIFY(writer.waitForReadyRead(30000));
            QThread::msleep(QRandomGenerator::global()->bounded(0, 40));
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished());
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            QMap<QString, QString> values;
            QString error;
            QVERIFY2(readTestValues(test->directory(), values, error), qPrintable(error));
            for (auto it = values.begin(); it != values.end(); ++it) {
                const QChar digit = it.key().back();
                QCOMPARE(it.value(), QString(kValueSize, digit));
            }
            written = values.size();
        }
        QVERIFY2(written > 0, "the writer never got a value written");
    }

    void concurrentWritersLoseNothing() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        constexpr int kEach = 100;
        QProcess first;
        QProcess second;
        startWriter(first, test->directory(), QStringLiteral("a"), kEach, 16);
        startWriter(second, test->directory(), QStringLiteral("b"), kEach, 16);
        QVERIFY(first.waitForFinished(60000));
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        QMap<QString, QString> values;
        QString error;
        QVERIFY2(readTestValues(test->directory(), values, error), qPrintable(error));
        QCOMPARE(values.size(), 2 * kEach);

        QJsonObject document;
        QVERIFY(test->pc().machine().store().read(QStringLiteral("registry"), document, error));
        QVERIFY(sim::StateStore::changeCount(document) >= quint64(2 * kEach));
    }

    void changeFromAnotherProcessArrives() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        sim::ChangeWatch watch(test->pc().machine().store().directory(),
                               QStringLiteral("registry"));
        QVERIFY2(watch.isValid(), qPrintable(watch.errorString()));
        QVERIFY(!watch.wait(0));

        QProcess tool;
        tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
                   {QStringLiteral("--machine"), test->directory(), QStringLiteral("reg"),
                    QStringLiteral("set"), QStringLiteral("HKCU\\Software\\N"), QStringLiteral("v"),
                    QStringLiteral("REG_DWORD"), QStringLiteral("1")});
        QVERIFY(watch.wait(kGenerousTimeoutMs));
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
    }

    void otherFacilitiesDoNotWake() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        sim::ChangeWatch watch(test->pc().machine().store().directory(),
                               QStringLiteral("registry"));
        QString error;
        QVERIFY(sim::recordRestartRequest(test->pc().machine().store(), 4, 0, error));
        QVERIFY(!watch.wait(0));
    }

    void cancelWakesAWaiter() {
        const auto test = PcFolder::fromFixture(QStringLiteral("registry-pc"));
        QVERIFY2(test->isValid(), qPrintable(test->error()));
        sim::ChangeWatch watch(test->pc().machine().store().directory(),
                               QStringLiteral("registry"));
        bool woke = true;
        std::thread waiter([&] { woke = watch.wait(-1); });
        watch.cancel();
        waiter.join();
        QVERIFY(!woke);
        QVERIFY(watch.isCancelled());
    }
};

namespace {
const bool registered = registerTest<StateStoreTest>("StateStoreTest");
}  // namespace

#include "StateStoreTest.moc"
