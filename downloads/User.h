#pragma once

#include <QObject>
#include <QString>

namespace downloads {

// The configuration folder: the first of the application's configuration locations, or
// "C:/Velmora" (on this PC's system drive) when there is none. Computed and created once.
QString appConfigDir();

// The PC user's documents folder followed by "/驱动" ("C:/Users/<user>/Documents/驱动"),
// created on the way.
QString defaultDownloadDir();

// The process-wide holder of the download folder. Created on first use, it loads the folder
// from the folder file; it writes it back on saveDownloadDir() and when destroyed at exit.
class User : public QObject {
    Q_OBJECT
public:
    static User& instance();
    ~User() override;

    // The folder as the page sees it: null until loaded or set. UI thread only.
    QString downloadDir() const { return m_downloadDir; }
    void setDownloadDir(const QString& folder) { m_downloadDir = folder; }
    // The folder, defaulted to defaultDownloadDir() first when it is empty.
    QString downloadDirOrDefault();

    // Writes the folder to the folder file; failures are silent (the next start uses the default).
    void saveDownloadDir() const;

    static QString folderFilePath();

private:
    User();

    QString m_downloadDir;
};

}  // namespace downloads
