#include "WkeWebView.h"

#include <windows.h>

#include <QEvent>
#include <QLoggingCategory>
#include <QSet>

#include "WkeLibrary.h"
#include "WkePageRequests.h"
#include "WkeValues.h"

namespace webhost {

Q_LOGGING_CATEGORY(lcWkeView, "corvanta.webhost.wke")

namespace {

constexpr const char* kDevToolsSetting = "showDevTools";

// The views alive now, by the engine's handle.
QMap<wke::View, WkeWebView*>& views() {
    static QMap<wke::View, WkeWebView*> all;
    return all;
}

// The names bound in the engine so far; each stays bound to callNativeByName for the life of
// the process, its name record with it.
QSet<QByteArray>& boundNames() {
    static QSet<QByteArray> names;
    return names;
}

QString engineText(wke::String string) {
    const wke::Api& e = wke::api();
    if (!string || !e.wkeGetStringW) {
        return QString();
    }
    const wchar_t* text = e.wkeGetStringW(string);
    return text ? QString::fromWCharArray(text) : QString();
}

WkeWebView* viewOf(void* param) {
    return static_cast<WkeWebView*>(param);
}

wke::Value CORVANTA_WKE_CALL callNativeByName(wke::ExecState state, void* param) {
    const QByteArray& name = *static_cast<const QByteArray*>(param);
    if (WkeWebView* view = WkeWebView::fromState(state)) {
        return view->callNative(name, state);
    }
    qCWarning(lcWkeView) << "page function" << name << "called from a page without a view";
    return wke::api().jsUndefined ? wke::api().jsUndefined() : 0;
}

void CORVANTA_WKE_CALL onTitleChanged(wke::View, void* param, wke::String title) {
    viewOf(param)->titleChanged(engineText(title));
}

void CORVANTA_WKE_CALL onUrlChanged(wke::View, void* param, wke::String url) {
    viewOf(param)->urlChanged(engineText(url));
}

bool CORVANTA_WKE_CALL onNavigation(wke::View, void* param, int, wke::String url) {
    const ViewEvents& events = viewOf(param)->events();
    return events.navigation ? events.navigation(engineText(url)) : true;
}

void CORVANTA_WKE_CALL onLoadingFinish(wke::View, void* param, wke::String, int, wke::String) {
    const ViewEvents& events = viewOf(param)->events();
    if (events.loadingFinished) {
        events.loadingFinished();
    }
}

int CORVANTA_WKE_CALL onDownload(wke::View, void* param, std::size_t, const char* url, const char*,
                                 const char*, wke::NetJob, void*) {
    const ViewEvents& events = viewOf(param)->events();
    if (events.download) {
        events.download(QString::fromUtf8(url ? url : ""));
    }
    return wke::kDownloadCancel;
}

bool CORVANTA_WKE_CALL onWindowClosing(wke::View, void* param) {
    const ViewEvents& events = viewOf(param)->events();
    return events.windowClosing ? events.windowClosing() : true;
}

void CORVANTA_WKE_CALL onWindowDestroy(wke::View, void*) {}

std::wstring wideText(const QString& text) {
    return text.toStdWString();
}

}  // namespace

WkeWebView::WkeWebView(QWidget* parent, int x, int y, int width, int height)
    : m_host(new QWidget(parent)) {
    m_host->setGeometry(x, y, width, height);
    // The engine draws into a child of a real window: the widget gets its own.
    m_host->setAttribute(Qt::WA_NativeWindow);
    m_host->installEventFilter(this);
    const wke::Api& e = wke::api();
    if (e.wkeConfigure) {
        const wke::Settings settings{};
        e.wkeConfigure(&settings);
    }
    if (e.wkeCreateWebWindow) {
        m_view = e.wkeCreateWebWindow(wke::kWindowTypeControl,
                                      reinterpret_cast<wke::NativeWindow>(m_host->winId()), 0, 0,
                                      width, height);
    }
    if (!m_view) {
        qCWarning(lcWkeView) << "the engine made no view";
        return;
    }
    views().insert(m_view, this);
    registerEvents();
}

WkeWebView::~WkeWebView() {
    if (m_view) {
        views().remove(m_view);
        if (wke::api().wkeDestroyWebView) {
            wke::api().wkeDestroyWebView(m_view);
        }
    }
    delete m_host;
}

WkeWebView* WkeWebView::fromState(wke::ExecState state) {
    const wke::Api& e = wke::api();
    if (e.jsGetWebView) {
        return views().value(e.jsGetWebView(state), nullptr);
    }
    // An engine that cannot name the state's view: with one view there is no doubt.
    return views().size() == 1 ? views().first() : nullptr;
}

void WkeWebView::registerEvents() {
    const wke::Api& e = wke::api();
    void* self = this;
    if (e.wkeOnTitleChanged)
        e.wkeOnTitleChanged(m_view, onTitleChanged, self);
    if (e.wkeOnURLChanged)
        e.wkeOnURLChanged(m_view, onUrlChanged, self);
    if (e.wkeOnNavigation)
        e.wkeOnNavigation(m_view, onNavigation, self);
    if (e.wkeOnLoadUrlBegin)
        e.wkeOnLoadUrlBegin(m_view, wke::onLoadUrlBegin, self);
    if (e.wkeOnLoadingFinish)
        e.wkeOnLoadingFinish(m_view, onLoadingFinish, self);
    if (e.wkeOnDownload2)
        e.wkeOnDownload2(m_view, onDownload, self);
    if (e.wkeOnWindowClosing)
        e.wkeOnWindowClosing(m_view, onWindowClosing, self);
    if (e.wkeOnWindowDestroy)
        e.wkeOnWindowDestroy(m_view, onWindowDestroy, self);
}

bool WkeWebView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_host) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
            placeEngineWindow();
        } else if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            if (m_view && wke::api().wkeShowWindow) {
                wke::api().wkeShowWindow(m_view, event->type() == QEvent::Show);
            }
        }
    }
    return false;
}

// The engine's window fills the widget's own.
void WkeWebView::placeEngineWindow() {
    if (!m_view || !m_host || !wke::api().wkeGetWindowHandle) {
        return;
    }
    if (HWND window = static_cast<HWND>(wke::api().wkeGetWindowHandle(m_view))) {
        MoveWindow(window, 0, 0, m_host->width(), m_host->height(), TRUE);
    }
}

void WkeWebView::bindFunction(const QByteArray& name, NativeFunction function, void* boundParam,
                              int declaredCount) {
    m_bindings.insert(name, Binding{std::move(function), boundParam});
    const wke::Api& e = wke::api();
    if (boundNames().contains(name) || !e.wkeJsBindFunction) {
        return;
    }
    boundNames().insert(name);
    const auto* record = new QByteArray(name);  // bound for the life of the process
    e.wkeJsBindFunction(record->constData(), callNativeByName, const_cast<QByteArray*>(record),
                        static_cast<unsigned int>(declaredCount));
}

void WkeWebView::unbindAll() {
    m_bindings.clear();  // the engine's names stay bound; calls on them now find nothing here
}

wke::Value WkeWebView::callNative(const QByteArray& name, wke::ExecState state) {
    const wke::Api& e = wke::api();
    const auto found = m_bindings.constFind(name);
    if (found == m_bindings.constEnd() || !found->function) {
        qCWarning(lcWkeView) << "page called unbound function" << name;
        return wke::toEngine(state, JsValue());
    }
    QList<JsValue> args;
    const int count = e.jsArgCount && e.jsArg ? e.jsArgCount(state) : 0;
    for (int i = 0; i < count; ++i) {
        args.append(wke::fromEngine(state, e.jsArg(state, i)));
    }
    // A copy: the function may rebind names and so change the table while it runs.
    const Binding binding = *found;
    return wke::toEngine(state, binding.function(JsCall(args), binding.boundParam));
}

void WkeWebView::titleChanged(const QString& title) {
    m_title = title;
    if (m_events.titleChanged) {
        m_events.titleChanged(title);
    }
}

void WkeWebView::urlChanged(const QString& url) {
    m_url = url;
    if (m_events.urlChanged) {
        m_events.urlChanged(url);
    }
}

void WkeWebView::loadUrl(const QString& url) {
    if (m_view && wke::api().wkeLoadURLW) {
        wke::api().wkeLoadURLW(m_view, wideText(url).c_str());
    }
}

void WkeWebView::runScript(const QString& script) {
    if (m_view && wke::api().wkeRunJSW) {
        wke::api().wkeRunJSW(m_view, wideText(script).c_str());
    }
}

// The engine calls the page at once: the answer is there when jsCallGlobal returns. A name the
// page does not define as a function is not called.
JsValue WkeWebView::callGlobal(const QByteArray& name, const QList<JsValue>& args) {
    const wke::Api& e = wke::api();
    if (!m_view || !e.wkeGlobalExec || !e.jsGetGlobal || !e.jsCallGlobal || !e.jsTypeOf) {
        return JsValue();
    }
    const wke::ExecState state = e.wkeGlobalExec(m_view);
    const wke::Value function = e.jsGetGlobal(state, name.constData());
    if (e.jsTypeOf(function) != wke::ValueType::Function) {
        return JsValue();
    }
    std::vector<wke::Value> values;
    values.reserve(static_cast<std::size_t>(args.size()));
    for (const JsValue& arg : args) {
        values.push_back(wke::toEngine(state, arg));
    }
    return wke::fromEngine(
        state, e.jsCallGlobal(state, function, values.data(), static_cast<int>(values.size())));
}

void WkeWebView::postGlobal(const QByteArray& name, const QList<JsValue>& args) {
    callGlobal(name, args);
}

void WkeWebView::setGlobal(const QByteArray& name, const JsValue& value) {
    const wke::Api& e = wke::api();
    if (!m_view || !e.wkeGlobalExec || !e.jsSetGlobal) {
        return;
    }
    const wke::ExecState state = e.wkeGlobalExec(m_view);
    e.jsSetGlobal(state, name.constData(), wke::toEngine(state, value));
}

void WkeWebView::setZoomFactor(double factor) {
    if (m_view && wke::api().wkeSetZoomFactor) {
        wke::api().wkeSetZoomFactor(m_view, static_cast<float>(factor));
    }
}

void WkeWebView::setTransparent(bool transparent) {
    if (m_view && wke::api().wkeSetTransparent) {
        wke::api().wkeSetTransparent(m_view, transparent);
    }
}

void WkeWebView::setLocalStoragePath(const QString& path) {
    if (m_view && wke::api().wkeSetLocalStorageFullPath) {
        wke::api().wkeSetLocalStorageFullPath(m_view, wideText(path).c_str());
    }
}

void WkeWebView::setCookieJarPath(const QString& path) {
    if (m_view && wke::api().wkeSetCookieJarFullPath) {
        wke::api().wkeSetCookieJarFullPath(m_view, wideText(path).c_str());
    }
}

void WkeWebView::showDevTools(const QString& inspectorPath) {
    if (m_view && wke::api().wkeSetDebugConfig) {
        wke::api().wkeSetDebugConfig(m_view, kDevToolsSetting, inspectorPath.toUtf8().constData());
    }
}

void WkeWebView::goBack() {
    if (m_view && wke::api().wkeGoBack) {
        wke::api().wkeGoBack(m_view);
    }
}

void WkeWebView::goForward() {
    if (m_view && wke::api().wkeGoForward) {
        wke::api().wkeGoForward(m_view);
    }
}

bool WkeWebView::canGoBack() const {
    return m_view && wke::api().wkeCanGoBack && wke::api().wkeCanGoBack(m_view);
}

bool WkeWebView::canGoForward() const {
    return m_view && wke::api().wkeCanGoForward && wke::api().wkeCanGoForward(m_view);
}

QString WkeWebView::cookies() const {
    if (!m_view || !wke::api().wkeGetCookieW) {
        return QString();
    }
    const wchar_t* text = wke::api().wkeGetCookieW(m_view);
    return text ? QString::fromWCharArray(text) : QString();
}

}  // namespace webhost
