#include "BridgePage.h"

#include <QLoggingCategory>

#include "BridgeScript.h"
#include "HeadlessPolicy.h"
#include "WireFormat.h"

namespace webhost {

Q_LOGGING_CATEGORY(lcBridge, "corvanta.webhost.bridge")

QMultiHash<qint64, const BridgePage*> BridgePage::s_waitingRenderers;

BridgePage::BridgePage(QWebEngineProfile* profile, PageClient* client, QObject* parent)
    : QWebEnginePage(profile, parent), m_client(client) {}

bool BridgePage::isRendererWaiting(qint64 pid) {
    return pid != 0 && s_waitingRenderers.contains(pid);
}

void BridgePage::reportDownload(const QUrl& url) {
    m_client->downloadRequested(url);
}

QString BridgePage::answerBridgeCall(const QString& name, const QString& wireArgs) {
    const JsValue args = JsValue::fromWire(wireArgs.toUtf8());
    QList<JsValue> list;
    for (int i = 0; i < args.length(); ++i) {
        list.append(args.at(i));
    }
    const qint64 pid = renderProcessPid();
    s_waitingRenderers.insert(pid, this);
    const JsValue result = m_client->callNative(name.toUtf8(), JsCall(list));
    s_waitingRenderers.remove(pid, this);
    return QString::fromUtf8(result.toWire());
}

bool BridgePage::javaScriptPrompt(const QUrl& origin, const QString& message,
                                  const QString& defaultValue, QString* result) {
    const QString marker = QString::fromLatin1(bridge::kPromptMarker);
    if (message.startsWith(marker)) {
        *result = answerBridgeCall(message.mid(marker.size()), defaultValue);
        return true;
    }
    if (headless::isHeadless()) {
        const bool accepted = headless::accepts();
        headless::log(QStringLiteral("prompt"), message, accepted);
        if (accepted) {
            *result = defaultValue;
        }
        return accepted;
    }
    return QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
}

void BridgePage::javaScriptAlert(const QUrl& origin, const QString& message) {
    if (headless::isHeadless()) {
        headless::log(QStringLiteral("alert"), message, true);
        return;
    }
    QWebEnginePage::javaScriptAlert(origin, message);
}

bool BridgePage::javaScriptConfirm(const QUrl& origin, const QString& message) {
    if (headless::isHeadless()) {
        const bool accepted = headless::accepts();
        headless::log(QStringLiteral("confirm"), message, accepted);
        return accepted;
    }
    return QWebEnginePage::javaScriptConfirm(origin, message);
}

bool BridgePage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    return m_client->acceptNavigation(url);
}

void BridgePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                          const QString& message, int lineNumber,
                                          const QString& sourceId) {
    if (level == ErrorMessageLevel) {
        qCWarning(lcBridge).noquote() << sourceId << lineNumber << message;
    } else {
        qCDebug(lcBridge).noquote() << sourceId << lineNumber << message;
    }
}

}  // namespace webhost
