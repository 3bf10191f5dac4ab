#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "../WebView.h"
#include "WkeInterface.h"

namespace webhost {

// A WebView drawn by the embedded engine into a child window of a native widget that takes the
// view's place among the frame's widgets. The engine's bindings are process-wide: each name is
// bound once, to a function that finds the calling view from the script state and runs that
// view's own function for the name. UI thread only.
class WkeWebView : public WebView, private QObject {
public:
    WkeWebView(QWidget* parent, int x, int y, int width, int height);
    ~WkeWebView() override;

    // The view whose page runs in `state`; null when none of this process's views does.
    static WkeWebView* fromState(wke::ExecState state);

    QWidget* widget() override { return m_host; }
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
    QString url() const override { return m_url; }
    QString title() const override { return m_title; }
    QString cookies() const override;

    // Runs this view's function bound as `name` with the page's arguments in `state`.
    wke::Value callNative(const QByteArray& name, wke::ExecState state);
    const ViewEvents& events() const { return m_events; }
    void titleChanged(const QString& title);
    void urlChanged(const QString& url);

private:
    struct Binding {
        NativeFunction function;
        void* boundParam = nullptr;
    };

    bool eventFilter(QObject* watched, QEvent* event) override;
    void registerEvents();
    void placeEngineWindow();

    QPointer<QWidget> m_host;
    wke::View m_view = nullptr;
    QMap<QByteArray, Binding> m_bindings;
    ViewEvents m_events;
    QString m_url;
    QString m_title;
};

}  // namespace webhost
