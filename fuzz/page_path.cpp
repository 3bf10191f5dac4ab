// The page server's mapping of a request's path and Host header to a file: whatever the path
// says, the answer is empty or a file inside the program folder.
#include <QDir>
#include <QFileInfo>

#include "FuzzSupport.h"
#include "engine/LocalPageServer.h"

namespace {

// <scratch>/program/html/index.html, <scratch>/program/beside.txt, <scratch>/secret.txt
QString programFolder() {
    static const QString folder = [] {
        const QString root = fuzz::scratch().path();
        QDir().mkpath(root + QStringLiteral("/program/html/sub"));
        fuzz::inputFile(QStringLiteral("program/html/index.html"), "<p>page</p>");
        fuzz::inputFile(QStringLiteral("program/html/sub/app.js"), "var a;");
        fuzz::inputFile(QStringLiteral("program/beside.txt"), "beside");
        fuzz::inputFile(QStringLiteral("secret.txt"), "secret");
        QFile::link(root + QStringLiteral("/secret.txt"),
                    root + QStringLiteral("/program/html/link.txt"));
        return QFileInfo(root + QStringLiteral("/program")).canonicalFilePath();
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = fuzz::bytes(data, size);
    const QString path = QString::fromUtf8(input);
    const QString file = webhost::LocalPageServer::resolve(programFolder(), path);
    fuzz::require(file.isEmpty() || file.startsWith(programFolder() + QLatin1Char('/')),
                  "a path outside the program folder was served");
    webhost::LocalPageServer::acceptsHost(path, QStringLiteral("ui.corvanta.test"), 4000);
    return 0;
}
