#include "FolderFile.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

namespace downloads {

namespace {

constexpr quint32 kNullStringMarker = 0xFFFFFFFF;
constexpr qint64 kCountSize = sizeof(quint32);

// The stream version the file has always been written with; pinned so a newer Qt cannot change
// the layout under stored files.
constexpr int kStreamVersion = QDataStream::Qt_5_0;

// True when the bytes are exactly one serialised QString, checked before QDataStream allocates
// anything for it.
bool isOneSerialisedString(const QByteArray& bytes) {
    if (bytes.size() < kCountSize)
        return false;
    QDataStream stream(bytes);
    quint32 count = 0;
    stream >> count;
    if (count == kNullStringMarker)
        return bytes.size() == kCountSize;
    return count % 2 == 0 && bytes.size() - kCountSize == static_cast<qint64>(count);
}

}  // namespace

QString readFolderFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    if (!isOneSerialisedString(bytes))
        return QString();
    QDataStream stream(bytes);
    stream.setVersion(kStreamVersion);
    QString folder;
    stream >> folder;
    return stream.status() == QDataStream::Ok ? folder : QString();
}

bool writeFolderFile(const QString& path, const QString& folder) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream stream(&file);
    stream.setVersion(kStreamVersion);
    stream << folder;
    return stream.status() == QDataStream::Ok && file.commit();
}

}  // namespace downloads
