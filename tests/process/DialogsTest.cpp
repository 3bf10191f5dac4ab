#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "TestMain.h"
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
        QTest::newRow("accept yes/no/cancel")
            << QByteArray("accept") << process::kMbYesNoCancel << process::kIdYes;
        QTest::newRow("accept abort/retry/ignore")
            << QByteArray("accept") << process::kMbAbortRetryIgnore << process::kIdAbort;
        QTest::newRow("reject abort/retry/ignore")
            << QByteArray("reject") << process::kMbAbortRetryIgnore << process::kIdAbort;
        QTest::newRow("accept retry/cancel with icon")
            << QByteArray("accept") << (process::kMbRetryCancel | process::kMbIconWarning)
            << process::kIdRetry;
        QTest::newRow("reject retry/cancel")
            << QByteArray("reject") << process::kMbRetryCancel << process::kIdCancel;
        QTest::newRow("accept cancel/try again/continue")
            << QByteArray("accept") << process::kMbCancelTryContinue << process::kIdCancel;
        QTest::newRow("reject cancel/try again/continue")
            << QByteArray("reject") << process::kMbCancelTryContinue << process::kIdCancel;
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

    // A box shown to a person has the buttons of its type, and each answers its own ID.
    void shownBoxAnswersButtonId_data() {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("answer");
        struct Type {
            const char* name;
            uint type;
            QStringList buttons;
            QList<int> answers;
        };
        const Type types[] = {
            {"ok", process::kMbOk, {"OK"}, {process::kIdOk}},
            {"ok/cancel",
             process::kMbOkCancel,
             {"OK", "Cancel"},
             {process::kIdOk, process::kIdCancel}},
            {"abort/retry/ignore",
             process::kMbAbortRetryIgnore,
             {"Abort", "Retry", "Ignore"},
             {process::kIdAbort, process::kIdRetry, process::kIdIgnore}},
            {"yes/no/cancel",
             process::kMbYesNoCancel,
             {"Yes", "No", "Cancel"},
             {process::kIdYes, process::kIdNo, process::kIdCancel}},
            {"yes/no", process::kMbYesNo, {"Yes", "No"}, {process::kIdYes, process::kIdNo}},
            {"retry/cancel",
             process::kMbRetryCancel | process::kMbIconError,
             {"Retry", "Cancel"},
             {process::kIdRetry, process::kIdCancel}},
            {"cancel/try again/continue",
             process::kMbCancelTryContinue,
             {"Cancel", "Try Again", "Continue"},
             {process::kIdCancel, process::kIdTryAgain, process::kIdContinue}},
        };
        for (const Type& t : types) {
            for (int i = 0; i < t.buttons.size(); ++i) {
                QTest::addRow("%s: %s", t.name, qPrintable(t.buttons[i]))
                    << t.type << t.buttons << t.buttons[i] << t.answers[i];
            }
        }
    }
    void shownBoxAnswersButtonId() {
        QFETCH(uint, type);
        QFETCH(QStringList, buttons);
        QFETCH(QString, press);
        QFETCH(int, answer);
        qunsetenv(process::kHeadlessVariable);
        QVERIFY(!process::isHeadless());
        QStringList shown;
        // Runs inside the box's own event loop: reads its buttons and presses one.
        QTimer presser;
        presser.setInterval(10);
        connect(&presser, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            presser.stop();
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                shown << button->text().remove('&');
                if (shown.last() == press)
                    chosen = button;
            }
            if (chosen)
                chosen->click();
            else
                box->reject();
        });
        presser.start();
        const int result =
            process::messageBox(nullptr, QStringLiteral("text"), QStringLiteral("提示"), type);
        shown.sort();
        buttons.sort();
        QCOMPARE(shown, buttons);
        QCOMPARE(result, answer);
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
const bool registered = registerTest<DialogsTest>("DialogsTest");
}
#include "DialogsTest.moc"
