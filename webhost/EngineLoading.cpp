#include "EngineLoading.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEvent>

#include "BaseWindow.h"
#include "WebView.h"
#include "WindowList.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "process/Dialogs.h"

namespace webhost {
namespace {

void reportEngineFailure(const QString& reason) {
    qWarning().noquote() << "web engine:" << reason;
    process::messageBox(nullptr, QStringLiteral("加载miniblink失败，无法正常运行程序"),
                        QStringLiteral("提示"), process::kMbOk | process::kMbIconError);
}

QString defaultStorageFolder() {
    const std::wstring localAppData =
        platform::systemInfo().knownFolder(platform::KnownFolder::LocalAppData);
    if (localAppData.empty()) {
        return QString();
    }
    return QString::fromStdWString(
        platform::fileSystem().hostPath(localAppData + L"\\Corvanta\\WebStorage"));
}

}  // namespace

bool loadEngine(const QString& programFolder, const QByteArray& host) {
    QString error;
    WebEngine::setDefaultStorageFolder(defaultStorageFolder());
    if (!WebEngine::load(programFolder, QString::fromUtf8(host), &error)) {
        reportEngineFailure(error);
        return false;
    }
    WebEngine::setStartFailureHandler([](const QString& reason) {
        reportEngineFailure(reason);
        QCoreApplication::exit(1);
    });
    return true;
}

void unloadEngine() {
    // A window destroys the windows it owns first: those are gone when their turn comes.
    for (WindowHandle handle : windowList::handles()) {
        if (BaseWindow* window = BaseWindow::fromHandle(handle)) {
            window->destroyWindow();
        }
    }
    // Destroyed windows release their frames and views from the queue.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WebEngine::unload();
}

}  // namespace webhost
