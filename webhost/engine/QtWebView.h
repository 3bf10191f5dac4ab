#pragma once

#include <QMap>
#include <QPointer>
#include <QWebEngineView>

#include "../WebView.h"
#include "BridgePage.h"

namespace webhost {

// A WebView carried by a QWebEngineView. Bound functions live here, not in the page, because
// the page is replaced when the view's storage paths select another profile.
class QtWebView : public WebView, private PageClient {
public:
    QtWebView(QWidget* parent, const QRect& geometry);
    ~QtWebView() override;

    QWidget* widget() override { return m_view; }
    QWebEnginePage* page() const { return m_page; }

    void bindFunction(const QByteArray& name, NativeFunction function, void* boundParam,
                      int declaredCount) override;
    void unbindAll() override;
    void loadUrl(const QString& url) override;
    void runScript(const QString& script) override;
    JsValue callGlobal(const QByteArray& name, const QList<JsValue>& args) override;
    void postGlobal(const QByteArray& name, const QList<JsValue>& args) override;
    void setGlobal(const QByteArray& name, const JsValue& value) override;

    void setEvents(ViewEvents events) override { m_events = std::move(events); }
    void setZoomFactor(double factor) override;
    void setTransparent(bool transparent) override;
    void setLocalStoragePath(const QString& path) override;
    void setCookieJarPath(const QString& path) override;
    void showDevTools(const QString& inspectorPath) override;

    void goBack() override;
    void goForward() override;
    bool canGoBack() const override;
    bool canGoForward() const override;
    QString url() const override;
    QString title() const override;
    QString cookies() const override;

private:
    struct Binding {
        NativeFunction function;
        void* boundParam = nullptr;
    };

    JsValue callNative(const QByteArray& name, const JsCall& call) override;
    bool acceptNavigation(const QUrl& url) override;
    bool acceptLinkNavigation(const QString& url);
    void downloadRequested(const QUrl& url) override;

    void usePage(QWebEngineProfile* profile);
    void connectPage();
    void installBindingScript();
    QColor backgroundColor() const;

    QPointer<QWebEngineView> m_view;
    QPointer<BridgePage> m_page;
    QPointer<QWebEngineView> m_devTools;
    QMap<QByteArray, Binding> m_bindings;
    QList<QByteArray> m_bindingOrder;
    ViewEvents m_events;
    QUrl m_approvedLink;  // a link the handler allowed, followed next without asking again
    QString m_localStoragePath;
    QString m_cookiePath;
    double m_zoomFactor = 1.0;
    bool m_transparent = false;
};

}  // namespace webhost
