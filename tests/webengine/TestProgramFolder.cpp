#include "TestProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestProgramFolder::TestProgramFolder() {
    QDir(m_root.path()).mkpath(QStringLiteral("program/html"));
    QFile outside(outsideFilePath());
    outside.open(QIODevice::WriteOnly);
    outside.write("secret");
}

QString TestProgramFolder::path() const {
    return m_root.filePath(QStringLiteral("program"));
}

QString TestProgramFolder::outsideFilePath() const {
    return m_root.filePath(QStringLiteral("outside.txt"));
}

void TestProgramFolder::addFile(const QString& relativePath, const QByteArray& content) const {
    const QString filePath = QDir(path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    QFile file(filePath);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}
