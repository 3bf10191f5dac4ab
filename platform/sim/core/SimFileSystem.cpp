#include "platform/sim/core/SimFileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace platform::sim {

namespace {

// "\\?\C:\..." is the long-path form of "C:\...".
const char* kLongPathPrefix = "\\\\?\\";

bool endsWithSeparator(const QString& path) {
    return path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'));
}

// The components below the drive root with "." dropped and ".." applied; like Windows, ".."
// at the root stays at the root, so no path leads out of the drive.
QStringList normalisedComponents(const QString& pathOnDrive) {
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    QStringList components;
    for (const QString& part : pathOnDrive.split(separators, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) {
            if (!components.isEmpty()) {
                components.removeLast();
            }
        } else if (part != QLatin1String(".")) {
            components << part;
        }
    }
    return components;
}

// The entry of `folder` named `name` in any letter case: the exact name first, else the first
// match in name order so the answer does not depend on the directory's order.
QString existingEntry(const QDir& folder, const QString& name) {
    if (QFileInfo::exists(folder.filePath(name))) {
        return name;
    }
    const QStringList entries = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return QString();
}

}  // namespace

SimFileSystem::SimFileSystem(const QString& machineDirectory)
    : m_machineDirectory(QDir::cleanPath(QDir(machineDirectory).absolutePath())) {}

QString SimFileSystem::driveFolderName(QChar letter) {
    return QStringLiteral("drive_") + letter.toLower();
}

std::wstring SimFileSystem::hostPath(const std::wstring& windowsPath) const {
    return hostPath(QString::fromStdWString(windowsPath)).toStdWString();
}

std::wstring SimFileSystem::windowsPath(const std::wstring& hostPath) const {
    return windowsPath(QString::fromStdWString(hostPath)).toStdWString();
}

QString SimFileSystem::hostPath(const QString& windowsPath) const {
    static const QRegularExpression drivePath(QStringLiteral("^([A-Za-z]):(.*)$"));
    QString path = windowsPath;
    if (path.startsWith(QLatin1String(kLongPathPrefix))) {
        path = path.mid(static_cast<int>(qstrlen(kLongPathPrefix)));
    }
    const QRegularExpressionMatch match = drivePath.match(path);
    if (match.hasMatch()) {
        return resolveOnDrive(match.captured(1).at(0), match.captured(2));
    }
    // "\Windows" is on the current drive, which is always C: here; "\\server\share" and host
    // paths ("/...") are left alone.
    if (path.startsWith(QLatin1Char('\\')) && !path.startsWith(QLatin1String("\\\\"))) {
        return resolveOnDrive(QLatin1Char('C'), path);
    }
    if (path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1String("\\\\"))) {
        return path;
    }
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString SimFileSystem::resolveOnDrive(QChar letter, const QString& pathOnDrive) const {
    QDir folder(m_machineDirectory + QLatin1Char('/') + driveFolderName(letter));
    QString result = folder.path();
    bool matching = true;
    for (const QString& component : normalisedComponents(pathOnDrive)) {
        const QString existing = matching ? existingEntry(folder, component) : QString();
        matching = !existing.isEmpty();
        result += QLatin1Char('/') + (matching ? existing : component);
        folder.setPath(result);
    }
    if (endsWithSeparator(pathOnDrive) || pathOnDrive.isEmpty()) {
        result += QLatin1Char('/');
    }
    return result;
}

QString SimFileSystem::windowsPath(const QString& hostPath) const {
    if (!hostPath.startsWith(QLatin1Char('/'))) {
        return hostPath;
    }
    static const QRegularExpression onDrive(QStringLiteral("^drive_([a-z])(/.*)?$"));
    const QString clean = QDir::cleanPath(hostPath);
    const QString prefix = m_machineDirectory + QLatin1Char('/');
    if (!clean.startsWith(prefix)) {
        return hostPath;
    }
    const QRegularExpressionMatch match = onDrive.match(clean.mid(prefix.size()));
    if (!match.hasMatch()) {
        return hostPath;
    }
    QString path = match.captured(1).toUpper() + QStringLiteral(":") + match.captured(2);
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (match.captured(2).isEmpty() || endsWithSeparator(hostPath)) {
        if (!path.endsWith(QLatin1Char('\\'))) {
            path += QLatin1Char('\\');
        }
    }
    return path;
}

}  // namespace platform::sim
