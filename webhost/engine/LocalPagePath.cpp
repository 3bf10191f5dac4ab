#include "LocalPagePath.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace webhost {
namespace {

constexpr const char* kHtmlFolder = "html";

// A path that names something by itself on some system is never joined to a folder: absolute
// Unix paths, drive letters, backslashes (a separator on Windows) and NUL bytes.
bool isForeignPath(const QString& relative) {
    static const QRegularExpression driveLetter(QStringLiteral("^[A-Za-z]:"));
    return relative.startsWith('/') || relative.contains('\\') || relative.contains(QChar(0)) ||
           driveLetter.match(relative).hasMatch();
}

bool isInside(const QString& canonicalPath, const QString& canonicalRoot) {
    return canonicalPath.startsWith(canonicalRoot + '/');
}

}  // namespace

// The relative path is tried under html/ and then under html/.. (the program folder). Both
// candidates are resolved to their real location (".." segments and symbolic links followed)
// and must still lie inside the program folder, so no request reads anything outside it.
QString resolveLocalPage(const QString& programFolder, const QString& requestPath) {
    const QString relative = requestPath.startsWith('/') ? requestPath.mid(1) : requestPath;
    const QString root = QFileInfo(programFolder).canonicalFilePath();
    if (relative.isEmpty() || root.isEmpty() || isForeignPath(relative)) {
        return QString();
    }
    const QString html = root + '/' + kHtmlFolder + '/';
    for (const QString& candidate : {html + relative, html + QStringLiteral("../") + relative}) {
        const QFileInfo info(candidate);
        if (info.isFile() && isInside(info.canonicalFilePath(), root)) {
            return info.canonicalFilePath();
        }
    }
    return QString();
}

}  // namespace webhost
