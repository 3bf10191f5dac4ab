#include "Navigation.h"

#include <QDebug>
#include <cctype>

#include "BaseBlkWinow.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

namespace webhost {
namespace {

const QString kExecScheme = QStringLiteral("exec://");
const QString kFileScheme = QStringLiteral("file://");
const QByteArray kFileRoot = QByteArrayLiteral("file:///");

#ifdef Q_OS_WIN
constexpr bool kRootedLocalPaths = false;
#else
// A file of this machine outside the simulated PC's drives: "/tmp/a b.txt" is only a path with
// its root.
constexpr bool kRootedLocalPaths = true;
#endif

// "/C:/..." as a file URL's path writes a drive path.
bool isDrivePath(const QByteArray& pathAfterRoot) {
    return pathAfterRoot.size() >= 2 &&
           std::isalpha(static_cast<unsigned char>(pathAfterRoot[0])) && pathAfterRoot[1] == ':';
}

QString filePathOf(const QString& url) {
    QByteArray path = QByteArray::fromPercentEncoding(url.toUtf8());
    if (path.startsWith(kFileRoot)) {
        path.remove(0, kFileRoot.size());
        if (kRootedLocalPaths && !isDrivePath(path)) {
            path.prepend('/');
        }
    }
    return QString::fromUtf8(path);
}

void startCommandLine(const QString& commandLine) {
    platform::StartRequest request;
    request.commandLine = commandLine.toStdWString();
    std::unique_ptr<platform::Process> process;  // closed at once; the program runs on
    const platform::win32::Error error = platform::processes().start(request, process);
    if (error != platform::win32::kSuccess) {
        qWarning().noquote() << "exec:// could not start" << commandLine << "error" << error;
    }
}

}  // namespace

NavigationDecision classifyNavigation(const QString& url) {
    if (url.startsWith(kExecScheme, Qt::CaseInsensitive)) {
        return {NavigationDecision::Kind::Exec, url.mid(kExecScheme.size())};
    }
    if (url.startsWith(kFileScheme, Qt::CaseInsensitive)) {
        return {NavigationDecision::Kind::AcceptFile, filePathOf(url)};
    }
    return {};
}

bool applyNavigationRule(const QString& url, BaseBlkWinow& window) {
    const NavigationDecision decision = classifyNavigation(url);
    switch (decision.kind) {
        case NavigationDecision::Kind::Exec:
            startCommandLine(decision.argument);
            return false;
        case NavigationDecision::Kind::AcceptFile:
            if (window.view()) {
                window.view()->postGlobal("acceptFileBycpp", {JsValue::string(decision.argument)});
            }
            return false;
        case NavigationDecision::Kind::Allow:
            return true;
    }
    return true;
}

}  // namespace webhost
