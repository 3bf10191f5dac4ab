#include <QTemporaryDir>
#include <QtTest>

#include "TestMain.h"

#include "downloads/FolderFile.h"

using downloads::readFolderFile;
using downloads::writeFolderFile;

class FolderFileTest : public QObject {
    Q_OBJECT

private slots:
    void writesQDataStreamBytes_data();
    void writesQDataStreamBytes();
    void rejectsAnythingButOneString_data();
    void rejectsAnythingButOneString();
    void missingFileIsNull();

private:
    QString writeRaw(const QByteArray& bytes);
    QTemporaryDir m_dir;
};

QString FolderFileTest::writeRaw(const QByteArray& bytes) {
    const QString path = m_dir.filePath(QStringLiteral("qenb.x"));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    return path;
}

void FolderFileTest::writesQDataStreamBytes_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("null") << QString() << QByteArray::fromHex("ffffffff");
    QTest::newRow("empty") << QString("") << QByteArray::fromHex("00000000");
    QTest::newRow("ascii") << QString("C:/D")
                           << QByteArray::fromHex(
                                  "00000008"
                                  "0043003a002f0044");
    QTest::newRow("chinese") << QString::fromUtf8("/驱动")
                             << QByteArray::fromHex(
                                    "00000006"
                                    "002f9a7152a8");
}

void FolderFileTest::writesQDataStreamBytes() {
    QFETCH(QString, folder);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QStringLiteral("qenb.x"));
    QVERIFY(writeFolderFile(path, folder));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toHex(), bytes.toHex());

    const QString back = readFolderFile(path);
    QCOMPARE(back, folder);
    QCOMPARE(back.isNull(), folder.isNull());
}

void FolderFileTest::rejectsAnythingButOneString_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("short count") << QByteArray::fromHex("0000");
    QTest::newRow("truncated text") << QByteArray::fromHex(
        "00000008"
        "0043003a");
    QTest::newRow("count of 4 GB") << QByteArray::fromHex(
        "fffffff0"
        "0043");
    QTest::newRow("odd count") << QByteArray::fromHex(
        "00000003"
        "004300");
    QTest::newRow("trailing bytes") << QByteArray::fromHex(
        "00000002"
        "0043"
        "ffff");
    QTest::newRow("null then more") << QByteArray::fromHex(
        "ffffffff"
        "00");
    QTest::newRow("text file") << QByteArray("C:/Users/me/Downloads\n");
}

void FolderFileTest::rejectsAnythingButOneString() {
    QFETCH(QByteArray, bytes);
    QVERIFY(readFolderFile(writeRaw(bytes)).isNull());
}

void FolderFileTest::missingFileIsNull() {
    QVERIFY(readFolderFile(m_dir.filePath(QStringLiteral("absent"))).isNull());
}

namespace {
const bool registered = registerTest<FolderFileTest>("FolderFileTest");
}  // namespace
#include "tst_folderfile.moc"
