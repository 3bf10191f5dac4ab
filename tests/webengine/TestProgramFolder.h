#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder: <root>/program with html/ inside, and a file beside the
// program folder that no request may ever read.
class TestProgramFolder {
public:
    TestProgramFolder();

    QString path() const;             // the program folder
    QString outsideFilePath() const;  // a file next to the program folder
    void addFile(const QString& relativePath, const QByteArray& content) const;

private:
    QTemporaryDir m_root;
};
