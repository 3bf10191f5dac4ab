#include "FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

namespace process {

namespace {

constexpr char kMatchEverything[] = "*.*";
constexpr char kExplorerSelect[] = "explorer /select,";

QString hostPath(const QString& path) {
    return QString::fromStdWString(platform::fileSystem().hostPath(path.toStdWString()));
}

bool sameLetter(QChar a, QChar b) {
    return a.toCaseFolded() == b.toCaseFolded();
}

// Greedy matching with one point of return: the last "*" seen takes one more character when
// the rest fails to match.
bool globMatch(const QString& name, const QString& pattern) {
    int n = 0;
    int p = 0;
    int starAt = -1;
    int resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

bool matchesWildcard(const QString& name, const QString& pattern) {
    if (pattern == QLatin1String(kMatchEverything)) {
        return true;
    }
    return globMatch(name, pattern);
}

QStringList listDir(const QString& folder, const QString& pattern) {
    const QDir dir(hostPath(folder));
    if (pattern.isEmpty() || !dir.exists()) {
        return {};
    }
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System,
                                            QDir::Name | QDir::IgnoreCase);
    QStringList matching;
    for (const QString& name : names) {
        if (matchesWildcard(name, pattern)) {
            matching.append(name);
        }
    }
    return matching;
}

QByteArray readTextFile(const QString& path) {
    const QString host = hostPath(path);
    // Checked before opening: opening a FIFO already blocks until a writer appears.
    const QFileInfo info(host);
    if (!info.isFile() || info.size() > kMaxTextFileBytes) {
        return {};
    }
    QFile file(host);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // A file that grows after the check is still read no further than the limit.
    const QByteArray content = file.read(kMaxTextFileBytes + 1);
    return content.size() > kMaxTextFileBytes ? QByteArray() : content;
}

bool writeTextToFile(const QString& path, const QByteArray& text) {
    QSaveFile file(hostPath(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    return file.write(text) == text.size() && file.commit();
}

bool pathFileExists(const QString& path) {
    return QFileInfo::exists(hostPath(path));
}

bool isProcessRunning(const QString& exeName) {
    std::vector<platform::ProcessEntry> running;
    if (platform::processes().list(running) != platform::win32::kSuccess) {
        return false;
    }
    for (const platform::ProcessEntry& entry : running) {
        if (QString::fromStdWString(entry.exeName).compare(exeName, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool openDirAndSelectFile(const QString& path) {
    if (path.isEmpty() || !pathFileExists(path)) {
        return false;
    }
    // Explorer takes Windows paths only: the page's forward slashes become backslashes.
    QString windowsPath =
        QString::fromStdWString(platform::fileSystem().windowsPath(hostPath(path).toStdWString()));
    windowsPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    platform::StartRequest request;
    request.commandLine =
        (QLatin1String(kExplorerSelect) +
         QString::fromStdWString(platform::quoteArgument(windowsPath.toStdWString())))
            .toStdWString();
    std::unique_ptr<platform::Process> explorer;
    return platform::processes().start(request, explorer) == platform::win32::kSuccess;
}

bool restartComputer(quint32 flags, quint32 reason) {
    return platform::processes().restartComputer(flags, reason) == platform::win32::kSuccess;
}

}  // namespace process
