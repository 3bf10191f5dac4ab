// `corvanta-sim net connections` on a PC with open connections: the accounts, never the
// passwords.
#include <QJsonArray>
#include <QProcess>
#include <QtTest>

#include "TestMain.h"

#include "PcFolder.h"
#include "platform/NetConnections.h"

class ConnectionsToolTest : public QObject {
    Q_OBJECT

private slots:
    void listsAccountsWithoutPasswords() {
        const auto folder = PcFolder::fromFixture(QStringLiteral("pc-without-printers"));
        QVERIFY2(folder->isValid(), qPrintable(folder->error()));
        QString error;
        const QJsonArray connections{QJsonObject{{"remoteName", "\\\\10.200.0.21"},
                                                 {"user", "daemon"},
                                                 {"password", "Secret123"},
                                                 {"resourceType", 2}},
                                     QJsonObject{{"remoteName", "\\\\FAKEPRN21"},
                                                 {"domain", "TESTWG"},
                                                 {"user", "daemon"},
                                                 {"password", "Secret123"},
                                                 {"resourceType", 2},
                                                 {"remembered", true}}};
        QVERIFY(folder->pc().machine().store().write(
            QStringLiteral("netconnections"), QJsonObject{{"connections", connections}}, error));

        std::vector<platform::NetConnection> open;
        QCOMPARE(folder->open()->get<platform::NetConnections>().connections(open), 0u);
        QCOMPARE(open.size(), std::size_t(2));
        QCOMPARE(QString::fromStdWString(open[1].userName), QStringLiteral("TESTWG\\daemon"));

        QProcess tool;
        tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
                   {"--machine", folder->directory(), "net", "connections"});
        QVERIFY(tool.waitForFinished(30000));
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY2(out.contains("\\\\10.200.0.21    daemon"), qPrintable(out));
        QVERIFY2(out.contains("\\\\FAKEPRN21    TESTWG\\daemon    remembered"), qPrintable(out));
        QVERIFY(!out.contains("Secret123"));
    }
};

namespace {
const bool registered = registerTest<ConnectionsToolTest>("ConnectionsToolTest");
}  // namespace

#include "ConnectionsToolTest.moc"
