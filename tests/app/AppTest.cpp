#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "TestMain.h"

namespace {

constexpr const char* kCorvantaBinary = CORVANTA_BINARY;
constexpr const char* kDumperBinary = DUMPER_BINARY;
constexpr const char* kPagesFolder = TEST_PAGES_DIR;
constexpr const char* kHost = "http://app.corvanta.test";
constexpr int kRunTimeoutMs = 60000;
const QString kFriendlyName = QStringLiteral("Corvanta Test");

// A program folder of its own: the built program, config.inf and the test pages in html/.
class Installation {
public:
    // `windowLines` are further lines of config.inf's section window.
    Installation(const QString& productName, const QString& page,
                 const QString& windowLines = QString()) {
        m_folder = m_dir.path();
        QFile::copy(QString::fromUtf8(kCorvantaBinary), path("corvanta"));
        QFile::copy(QString::fromUtf8(kDumperBinary), path("dumper"));
        QDir().mkpath(path("crashes"));
        QDir().mkpath(path("html"));
        const QDir pages(QString::fromUtf8(kPagesFolder));
        for (const QString& name : pages.entryList(QDir::Files)) {
            QFile::copy(pages.filePath(name), path("html/" + name));
        }
        writeFile("config.inf",
                  QStringLiteral("[other]\nsingleApp=1\n"
                                 "[window]\nurl=%1/%2\nhost=%1\naddrBarVisible=0\n%5"
                                 "[product]\nproductName=%3\nchannel=beta\n"
                                 "friendlyProductName=%4\n")
                      .arg(QString::fromUtf8(kHost), page, productName, kFriendlyName, windowLines)
                      .toUtf8());
    }

    QString path(const QString& name) const { return QDir(m_folder).filePath(name); }
    void writeFile(const QString& name, const QByteArray& content) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // The reports the crash reporter wrote for runs of this installation.
    QStringList crashReports() const { return QDir(path("crashes")).entryList(QDir::Files); }
    QJsonObject readJson(const QString& name) const {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QJsonDocument::fromJson(file.readAll()).object();
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

}  // namespace

class AppTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void frameworkFunctionsAnswer();
    void execStartsProgramAndPageStays();
    void fileNavigationReachesPage();
    void secondInstanceExitsAndFirstIsTold();
    void differentProductNamesRunSideBySide();
    void pageStorageSurvivesRestart_data();
    void pageStorageSurvivesRestart();
    void quitWithAnotherWindowOpen_data();
    void quitWithAnotherWindowOpen();

private:
    std::unique_ptr<QProcess> start(const Installation& installation);
    static QString uniqueProduct(const char* name);
    static bool finished(QProcess& corvanta);

    QTemporaryDir m_machine;
};

void AppTest::initTestCase() {
    QVERIFY2(QFileInfo::exists(QString::fromUtf8(kCorvantaBinary)), kCorvantaBinary);
    QVERIFY(m_machine.isValid());
}

// Waits for the end of a run; a run that does not end is stopped and its log shown.
bool AppTest::finished(QProcess& corvanta) {
    if (corvanta.waitForFinished(kRunTimeoutMs)) {
        return true;
    }
    corvanta.kill();
    corvanta.waitForFinished();
    qWarning().noquote() << "Corvanta did not end; its log:\n"
                         << QString::fromUtf8(corvanta.readAllStandardError());
    return false;
}

QString AppTest::uniqueProduct(const char* name) {
    // The single-instance lock is per product name: keep parallel test runs apart.
    return QStringLiteral("%1-%2").arg(QLatin1String(name)).arg(QCoreApplication::applicationPid());
}

std::unique_ptr<QProcess> AppTest::start(const Installation& installation) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANTA_MACHINE", m_machine.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    env.insert("CORVANTA_HEADLESS", "accept");
    env.insert("CORVANTA_CRASH_DIR", installation.path("crashes"));
    process->setProcessEnvironment(env);
    process->setProgram(installation.path("corvanta"));
    process->start();
    return process;
}

// One run of a page that exercises the framework functions and closes its own window.
void AppTest::frameworkFunctionsAnswer() {
    Installation installation(uniqueProduct("framework"), "framework.html");
    auto corvanta = start(installation);
    QVERIFY(finished(*corvanta));
    const QByteArray log = corvanta->readAllStandardError();
    QCOMPARE(corvanta->exitStatus(), QProcess::NormalExit);
    QVERIFY2(corvanta->exitCode() == 0, log.constData());
    const QJsonObject r = installation.readJson("result.json");
    QVERIFY2(!r.isEmpty(), log.constData());

    QCOMPARE(r["pidType"].toString(), QString("number"));
    QCOMPARE(r["isWindowSelf"].toBool(), true);
    QCOMPARE(r["isWindowBogus"].toBool(), false);
    QCOMPARE(r["createWindowNoArgs"].toString(), QString("undefined"));
    QCOMPARE(r["formatMessage2"].toString(),
             QString("The system cannot find the file specified.\r\n"));
    QCOMPARE(r["formatMessageUnknown"].toString(), QString("unknown error 99999"));
    QCOMPARE(r["productName"].toString(), uniqueProduct("framework"));
    QCOMPARE(r["channel"].toString(), QString("beta"));
    QVERIFY(!r["computerName"].toString().isEmpty());
    QVERIFY(!r["tempPath"].toString().isEmpty());
    QCOMPARE(r["configExists"].toBool(), true);
    QCOMPARE(r["missingExists"].toBool(), false);
    QVERIFY(r["listDir"].toArray().contains("framework.html"));
    QCOMPARE(r["readBack"].toString(), QString::fromUtf8("grüße"));
    QCOMPARE(r["capture"].toString(), QString("captured\n"));
    QCOMPARE(r["shellNotifyIcon"].toBool(), false);
    QVERIFY(r["monitors"].toInt() >= 1);
    QVERIFY(r["rectWidth"].toInt() > 0);
    QCOMPARE(r["resize"].toInt(), 0);
    QCOMPARE(r["resizeBogus"].toInt(), 1400);
    QCOMPARE(r["rectAfterResize"].toArray(), QJsonArray({640, 480}));
    QCOMPARE(r["showWindowBogus"].toBool(), false);
    QCOMPARE(r["loadurlBogus"].toBool(), false);
    QCOMPARE(r["setDragRect"].toString(), QString("undefined"));
    QCOMPARE(r["language"].toString(), QString("number"));
    QCOMPARE(r["deviceIdType"].toString(), QString("string"));
    // A child window with an over-long URL opens, belongs to the page's window, closes on
    // WM_CLOSE and its owner's page hears of it.
    QCOMPARE(r["childIsWindow"].toBool(), true);
    QCOMPARE(r["childParentIsSelf"].toBool(), true);
    QCOMPARE(r["childGone"].toBool(), true);
    QVERIFY(r["notified"].toArray().contains(QJsonArray({r["childHandle"].toInt(), 1})));
    QCOMPARE(r["notified"].toArray().size(), 3);
    // A modal window disables its owner until it closes; SC_CLOSE destroys a plain window.
    QCOMPARE(r["modalDisabledOwner"].toBool(), true);
    QCOMPARE(r["closeReenabledOwner"].toBool(), true);
    QCOMPARE(r["scCloseDestroysChild"].toBool(), true);
    QCOMPARE(r["processData"].toArray(), QJsonArray({77, "async-out\n"}));
}

void AppTest::execStartsProgramAndPageStays() {
    Installation installation(uniqueProduct("exec"), "exec.html");
    installation.writeFile("mark.sh", "#!/bin/sh\ntouch \"$(dirname \"$0\")/marker\"\n");
    QFile::setPermissions(installation.path("mark.sh"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto corvanta = start(installation);
    QVERIFY(finished(*corvanta));
    const QByteArray log = corvanta->readAllStandardError();
    QVERIFY2(corvanta->exitCode() == 0, log.constData());
    QTRY_VERIFY2(QFileInfo::exists(installation.path("marker")), log.constData());
    const QJsonObject r = installation.readJson("result.json");
    QVERIFY2(r["href"].toString().endsWith("/exec.html"), log.constData());
}

void AppTest::fileNavigationReachesPage() {
    Installation installation(uniqueProduct("drop"), "drop.html");
    auto corvanta = start(installation);
    QVERIFY(finished(*corvanta));
    const QByteArray log = corvanta->readAllStandardError();
    const QJsonObject r = installation.readJson("result.json");
    QCOMPARE(r["path"].toString(), QString::fromUtf8("C:/Users/Public/My File 打.txt"));
    QVERIFY2(r["href"].toString().endsWith("/drop.html"), log.constData());
}

void AppTest::secondInstanceExitsAndFirstIsTold() {
    Installation installation(uniqueProduct("single"), "wait.html");
    auto first = start(installation);
    QTRY_VERIFY_WITH_TIMEOUT(!installation.readJson("ready.json").isEmpty(), kRunTimeoutMs);

    auto second = start(installation);
    QVERIFY(finished(*second));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);

    installation.writeFile("close.flag", "1");
    QVERIFY(finished(*first));
    QCOMPARE(first->exitCode(), 0);
    const QString firstLog = QString::fromUtf8(first->readAllStandardError());
    const QString notice =
        QStringLiteral("已启动一个") + kFriendlyName + QStringLiteral(",无法再启动第二个。");
    QVERIFY2(firstLog.contains(notice), qPrintable(firstLog));
    QVERIFY(!QString::fromUtf8(second->readAllStandardError()).contains(notice));
}

void AppTest::differentProductNamesRunSideBySide() {
    Installation one(uniqueProduct("one"), "wait.html");
    Installation two(uniqueProduct("two"), "wait.html");
    auto first = start(one);
    auto second = start(two);
    QTRY_VERIFY_WITH_TIMEOUT(!one.readJson("ready.json").isEmpty(), kRunTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!two.readJson("ready.json").isEmpty(), kRunTimeoutMs);
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(second->state(), QProcess::Running);
    one.writeFile("close.flag", "1");
    two.writeFile("close.flag", "1");
    QVERIFY(finished(*first));
    QVERIFY(finished(*second));
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(second->exitCode(), 0);
}

void AppTest::pageStorageSurvivesRestart_data() {
    QTest::addColumn<QString>("windowLines");
    QTest::newRow("no temporary storage") << QString("tempLocalStorage=0\ntempCookie=0\n");
    QTest::newRow("temporary storage") << QString("tempLocalStorage=1\ntempCookie=1\n");
}

// Whether or not config.inf names temporary storage, what a page stores is there next time.
void AppTest::pageStorageSurvivesRestart() {
    QFETCH(QString, windowLines);
    Installation installation(uniqueProduct("storage"), "storage.html", windowLines);
    for (int run = 0; run < 2; ++run) {
        auto corvanta = start(installation);
        QVERIFY(finished(*corvanta));
        QVERIFY2(corvanta->exitCode() == 0, corvanta->readAllStandardError().constData());
    }
    const QJsonObject found = installation.readJson("storage.json");
    QCOMPARE(found["stored"].toString(), QString("stored value"));
    QCOMPARE(found["cookie"].toString(), QString("kept=1"));
}

void AppTest::quitWithAnotherWindowOpen_data() {
    QTest::addColumn<QByteArray>("mode");
    QTest::newRow("main window closes, an unowned window stays") << QByteArray("main");
    QTest::newRow("a closeAsQuit window closes, the main window stays") << QByteArray("child");
    QTest::newRow("main window closes after a printer deletion the monitor reported")
        << QByteArray("printer");
}

// The run ends with the loop's result and no crash, whatever windows are still open.
void AppTest::quitWithAnotherWindowOpen() {
    QFETCH(QByteArray, mode);
    Installation installation(uniqueProduct("quit"), "quit.html");
    installation.writeFile("mode.txt", mode);
    auto corvanta = start(installation);
    QVERIFY(finished(*corvanta));
    const QByteArray log = corvanta->readAllStandardError();
    QVERIFY2(installation.readJson("ready.json")["isWindow"].toBool(), log.constData());
    QVERIFY2(corvanta->exitStatus() == QProcess::NormalExit, log.constData());
    QVERIFY2(corvanta->exitCode() == 0, log.constData());
    QVERIFY2(installation.crashReports().isEmpty(), log.constData());
    if (mode == "printer") {
        const QJsonObject printer = installation.readJson("printer.json");
        QCOMPARE(printer["deleted"].toInt(-1), 0);
        QVERIFY2(printer["changes"].toInt() > 0, log.constData());
    }
}

namespace {
const bool registered = registerTest<AppTest>("AppTest");
}  // namespace
#include "AppTest.moc"
