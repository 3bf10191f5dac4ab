#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "webhost/WebView.h"

#include <QWidget>

// A web view without a browser: it keeps the functions bound on it so that a test can call
// them as the page would, answers page calls with undefined and counts them, and reports a
// finished load right after each loadUrl(). Installed with StandInView::install() before the
// engine is loaded; the windows of this process then get stand-in views.
class StandInView : public webhost::WebView {
public:
    struct Binding {
        webhost::NativeFunction function;
        void* boundParam = nullptr;
        int declaredCount = 0;
    };

    // Makes every view of this process a StandInView. `created` (optional) hears of each new
    // view, on the UI thread.
    static void install(std::function<void(StandInView&)> created = {});
    // The views alive now, oldest first.
    static QList<StandInView*> views();

    explicit StandInView(QWidget* parent);
    ~StandInView() override;

    // The bound functions by name.
    const std::map<QByteArray, Binding>& bindings() const { return m_bindings; }
    bool has(const QByteArray& name) const { return m_bindings.count(name) != 0; }
    // Calls a bound function as the page would; undefined when nothing is bound by that name.
    webhost::JsValue call(const QByteArray& name, const QList<webhost::JsValue>& args);

    int pageCalls() const { return m_pageCalls; }
    QByteArray lastPageCall() const { return m_lastPageCall; }
    QString loadedUrl() const { return m_url; }

    QWidget* widget() override;
    void bindFunction(const QByteArray& name, webhost::NativeFunction function, void* boundParam,
                      int declaredCount) override;
    void unbindAll() override { m_bindings.clear(); }
    void loadUrl(const QString& url) override;
    void runScript(const QString& script) override;
    webhost::JsValue callGlobal(const QByteArray& name,
                                const QList<webhost::JsValue>& args) override;
    void postGlobal(const QByteArray& name, const QList<webhost::JsValue>& args) override;
    void setGlobal(const QByteArray& name, const webhost::JsValue& value) override;
    void setEvents(webhost::ViewEvents events) override;
    void setZoomFactor(double) override {}
    void setTransparent(bool) override {}
    void setLocalStoragePath(const QString&) override {}
    void setCookieJarPath(const QString&) override {}
    void showDevTools(const QString&) override {}
    void goBack() override {}
    void goForward() override {}
    bool canGoBack() const override { return false; }
    bool canGoForward() const override { return false; }
    QString url() const override { return m_url; }
    QString title() const override { return QString(); }
    QString cookies() const override { return QString(); }

private:
    void countPageCall(const QByteArray& name);

    QPointer<QWidget> m_widget;  // a child of the window, or ours while it has no parent
    std::map<QByteArray, Binding> m_bindings;
    webhost::ViewEvents m_events;
    QString m_url;
    int m_pageCalls = 0;
    QByteArray m_lastPageCall;
};
