#include <QtTest>

#include "TestRunner.h"
#include "process/Dialogs.h"

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { policy_ = qgetenv(process::kHeadlessVariable); }
    void cleanup() { qputenv(process::kHeadlessVariable, policy_); }

    void headlessBoxAnswersByPolicy_data() {
        QTest::addColumn<QByteArray>("policy");
        QTest::addColumn<uint>("type");
        QTest::addColumn<int>("answer");
        QTest::newRow("accept ok") << QByteArray("accept") << process::kMbOk << process::kIdOk;
        QTest::newRow("accept ok/cancel")
            << QByteArray("accept") << process::kMbOkCancel << process::kIdOk;
        QTest::newRow("accept yes/no with icon")
            << QByteArray("accept") << (process::kMbYesNo | process::kMbIconQuestion)
            << process::kIdYes;
        QTest::newRow("reject ok") << QByteArray("reject") << process::kMbOk << process::kIdOk;
        QTest::newRow("reject ok/cancel")
            << QByteArray("reject") << process::kMbOkCancel << process::kIdCancel;
        QTest::newRow("reject yes/no")
            << QByteArray("reject") << process::kMbYesNo << process::kIdNo;
        QTest::newRow("reject yes/no/cancel")
            << QByteArray("reject") << process::kMbYesNoCancel << process::kIdCancel;
    }
    void headlessBoxAnswersByPolicy() {
        QFETCH(QByteArray, policy);
        QFETCH(uint, type);
        QFETCH(int, answer);
        qputenv(process::kHeadlessVariable, policy);
        QVERIFY(process::isHeadless());
        QCOMPARE(
            process::messageBox(nullptr, QStringLiteral("text"), QStringLiteral("caption"), type),
            answer);
    }

    void headlessPickersChooseNothing() {
        qputenv(process::kHeadlessVariable, "accept");
        QCOMPARE(process::selectFolder(nullptr), QString());
        QVERIFY(process::selectFiles(nullptr, QStringLiteral("t"), QString(), QString()).isEmpty());
    }

private:
    QByteArray policy_;
};

namespace {
const TestRegistration registration([]() -> QObject* { return new DialogsTest; });
}
#include "DialogsTest.moc"
