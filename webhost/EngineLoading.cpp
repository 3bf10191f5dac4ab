#include "EngineLoading.h"

#include <QCoreApplication>
#include <QDebug>

#include "WebView.h"
#include "process/Dialogs.h"

namespace webhost {
namespace {

void reportEngineFailure(const QString& reason) {
    qWarning().noquote() << "web engine:" << reason;
    process::messageBox(nullptr, QStringLiteral("加载miniblink失败，无法正常运行程序"),
                        QStringLiteral("提示"), process::kMbOk | process::kMbIconError);
}

}  // namespace

bool loadEngine(const QString& programFolder, const QByteArray& host) {
    QString error;
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

}  // namespace webhost
