#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <future>

#include "TestMain.h"
#include "process/FileHelpers.h"

class FileHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void listDirMatchesAsFindFirstFile_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("star") << "*" << QStringList{".", "..", "a.txt", "B.TXT", "readme", "x.log"};
        QTest::newRow("star dot star")
            << "*.*" << QStringList{".", "..", "a.txt", "B.TXT", "readme", "x.log"};
        QTest::newRow("extension, any case") << "*.txt" << QStringList{"a.txt", "B.TXT"};
        QTest::newRow("question mark") << "?.log" << QStringList{"x.log"};
        QTest::newRow("prefix") << "READ*" << QStringList{"readme"};
        QTest::newRow("exact name") << "readme" << QStringList{"readme"};
        QTest::newRow("star in the middle") << "a*t" << QStringList{"a.txt"};
        QTest::newRow("no match") << "*.doc" << QStringList{};
        QTest::newRow("empty pattern") << "" << QStringList{};
    }
    void listDirMatchesAsFindFirstFile() {
        QFETCH(QString, pattern);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        for (const char* name : {"a.txt", "B.TXT", "readme", "x.log"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(process::listDir(dir.path(), pattern), names);
    }

    void listDirOfMissingFolderIsEmpty() {
        QVERIFY(process::listDir(QStringLiteral("/no/such/corvanta/folder"), "*").isEmpty());
    }

    void writtenBytesReadBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f\u00E9.txt"));
        static const char kBytes[] = "line 1\r\n\xC3\xA9t\xC3\xA9\n\0end";
        const QByteArray text(kBytes, sizeof kBytes - 1);  // the literal's own end left out
        QVERIFY(process::writeTextToFile(path, text));
        QVERIFY(process::pathFileExists(path));
        QCOMPARE(process::readTextFile(path), text);
        QVERIFY(process::writeTextToFile(path, "short"));
        QCOMPARE(process::readTextFile(path), QByteArray("short"));
        QVERIFY(!process::writeTextToFile(dir.filePath(QStringLiteral("missing/x.txt")), "x"));
        QCOMPARE(process::readTextFile(dir.filePath(QStringLiteral("missing.txt"))), QByteArray());
    }

    // What is not a regular file, or is larger than the limit, reads as empty without waiting.
    void readTextFileRefusesWhatIsNoTextFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("endless device") << "/dev/zero";
        QTest::newRow("link to an endless device") << "link";
        QTest::newRow("folder") << "folder";
        QTest::newRow("one byte above the limit") << "large";
    }
    void readTextFileRefusesWhatIsNoTextFile() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(kind);
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {path}), 0);
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(kind));
        } else if (kind == QLatin1String("large")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(process::kMaxTextFileBytes + 1));  // sparse: no real writing
        } else {
            path = kind;
        }
        auto read = std::async(std::launch::async, [path] { return process::readTextFile(path); });
        if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            QFile writer(path);  // lets a reader blocked on the FIFO go on
            QVERIFY(writer.open(QIODevice::WriteOnly));
            writer.close();
            read.wait();
            QFAIL("readTextFile blocked");
        }
        QCOMPARE(read.get(), QByteArray());
    }

    void readTextFileReadsAFileOfTheLimit() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("limit.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(process::kMaxTextFileBytes));
        file.close();
        QCOMPARE(process::readTextFile(path).size(), process::kMaxTextFileBytes);
    }

    void runningProcessIsFoundByExeName() {
        QProcess sleeper;
        sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(sleeper.waitForStarted());
        QVERIFY(process::isProcessRunning(QStringLiteral("SLEEP.exe")));
        sleeper.kill();
        sleeper.waitForFinished();
        QVERIFY(!process::isProcessRunning(QStringLiteral("corvanta-no-such-program.exe")));
    }

    void selectingAMissingFileFails() {
        QVERIFY(!process::openDirAndSelectFile(QStringLiteral("/no/such/corvanta/file.txt")));
    }
};

namespace {
const bool registered = registerTest<FileHelpersTest>("FileHelpersTest");
}
#include "FileHelpersTest.moc"
