#pragma once

#include <QSet>
#include <QWebEnginePage>

#include "../JsValue.h"

namespace webhost {

// What a page asks of the view that carries it.
class PageClient {
public:
    virtual ~PageClient() = default;
    // Runs the bound native function `name`; undefined when there is none.
    virtual JsValue callNative(const QByteArray& name, const JsCall& call) = 0;
    virtual bool acceptNavigation(const QUrl& url) = 0;
    virtual void downloadRequested(const QUrl& url) = 0;
};

// The page of one view. It answers the bridge's prompt() calls by running bound native
// functions, lets the view decide on navigations, and never blocks on a dialog in a headless
// run (the answer is chosen by CORVANTA_HEADLESS and logged).
class BridgePage : public QWebEnginePage {
    Q_OBJECT
public:
    BridgePage(QWebEngineProfile* profile, PageClient* client, QObject* parent);

    // True while a page of renderer process `pid` waits in a bridge call: that renderer runs
    // no script until the call returns, so waiting for a script result from it would never end.
    static bool isRendererWaiting(qint64 pid);

    void reportDownload(const QUrl& url);

protected:
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceId) override;

private:
    QString answerBridgeCall(const QString& name, const QString& wireArgs);

    PageClient* m_client;
    static QMultiHash<qint64, const BridgePage*> s_waitingRenderers;
};

}  // namespace webhost
