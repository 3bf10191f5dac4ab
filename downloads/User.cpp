#include "User.h"

#include <QDir>
#include <QStandardPaths>
#include <memory>

#include "FolderFile.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"

namespace downloads {

namespace {

constexpr char kFallbackConfigDir[] = "C:/Velmora";
constexpr char kFolderFileName[] = "/qenb.x";
constexpr char kDriverFolderName[] = "/驱动";

QString computeAppConfigDir() {
    const QStringList locations =
        QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation);
    QString folder = locations.isEmpty() ? QString() : locations.first();
    if (folder.isEmpty()) {
        const std::wstring host =
            platform::fileSystem().hostPath(QString::fromLatin1(kFallbackConfigDir).toStdWString());
        folder = QString::fromStdWString(host);
    }
    QDir().mkpath(folder);
    return folder;
}

}  // namespace

QString appConfigDir() {
    static const QString folder = computeAppConfigDir();
    return folder;
}

// The PC user's documents folder, as the page sees every other path: a Windows path, here with
// forward slashes, created where the PC keeps it.
QString defaultDownloadDir() {
    QString documents = QString::fromStdWString(
        platform::systemInfo().knownFolder(platform::KnownFolder::Documents));
    documents.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString folder = QDir::cleanPath(documents + QString::fromUtf8(kDriverFolderName));
    QDir().mkpath(QString::fromStdWString(platform::fileSystem().hostPath(folder.toStdWString())));
    return folder;
}

QString User::folderFilePath() {
    return appConfigDir() + QLatin1String(kFolderFileName);
}

User& User::instance() {
    // Destroyed at exit, which writes the folder back one last time.
    static const std::unique_ptr<User> user(new User);
    return *user;
}

User::User() : m_downloadDir(readFolderFile(folderFilePath())) {}

User::~User() {
    saveDownloadDir();
}

QString User::downloadDirOrDefault() {
    if (m_downloadDir.isEmpty())
        m_downloadDir = defaultDownloadDir();
    return m_downloadDir;
}

void User::saveDownloadDir() const {
    writeFolderFile(folderFilePath(), m_downloadDir);
}

}  // namespace downloads
