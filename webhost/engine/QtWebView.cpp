#include "QtWebView.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <memory>

#include "BridgeScript.h"
#include "ProfileStore.h"
#include "StartMonitor.h"

namespace webhost {

Q_LOGGING_CATEGORY(lcView, "corvanta.webhost.view")

namespace {

constexpr const char* kBindingScriptName = "corvanta-bindings";
constexpr int kDevToolsWidth = 1000;
constexpr int kDevToolsHeight = 700;

QString navigationText(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded);
}

}  // namespace

QtWebView::QtWebView(QWidget* parent, const QRect& geometry) : m_view(new QWebEngineView(parent)) {
    m_view->setGeometry(geometry);
    usePage(ProfileStore::instance().profileFor(QString(), QString()));
}

// The view widget may already be gone with its parent window (the page, its child, with it);
// every operation then does nothing and answers empty values.
QtWebView::~QtWebView() {
    delete m_devTools;
    delete m_view;
}

// Replaces the page with a new one on `profile`, keeping bindings, zoom, background and the
// current address.
void QtWebView::usePage(QWebEngineProfile* profile) {
    if (!m_view || (m_page && m_page->profile() == profile)) {
        return;
    }
    const QUrl current = m_page ? m_page->url() : QUrl();
    BridgePage* old = m_page;
    m_page = new BridgePage(profile, this, m_view);
    m_view->setPage(m_page);
    delete old;
    connectPage();
    installBindingScript();
    m_page->setZoomFactor(m_zoomFactor);
    m_page->setBackgroundColor(backgroundColor());
    if (current.isValid() && !current.isEmpty()) {
        m_page->load(current);
    }
}

void QtWebView::connectPage() {
    QObject::connect(m_page, &QWebEnginePage::titleChanged, m_page, [this](const QString& title) {
        if (m_events.titleChanged) {
            m_events.titleChanged(title);
        }
    });
    QObject::connect(m_page, &QWebEnginePage::urlChanged, m_page, [this](const QUrl& url) {
        if (m_events.urlChanged) {
            m_events.urlChanged(url.toString());
        }
    });
    QObject::connect(m_page, &QWebEnginePage::loadFinished, m_page, [this](bool ok) {
        if (ok) {
            StartMonitor::instance().pageLoaded();
        }
        // The engine may reset the zoom when the page changes site.
        if (!qFuzzyCompare(m_page->zoomFactor(), m_zoomFactor)) {
            m_page->setZoomFactor(m_zoomFactor);
        }
        if (m_events.loadingFinished) {
            m_events.loadingFinished();
        }
    });
    QObject::connect(m_page, &QWebEnginePage::windowCloseRequested, m_page, [this] {
        if (m_events.windowClosing) {
            m_events.windowClosing();
        }
    });
    QObject::connect(m_page, &QWebEnginePage::renderProcessTerminated, m_page,
                     [](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                         qCWarning(lcView)
                             << "page renderer ended, status" << status << "code" << exitCode;
                         StartMonitor::instance().rendererEnded(
                             QStringLiteral("the page process ended (status %1, exit code %2)")
                                 .arg(status)
                                 .arg(exitCode));
                     });
}

void QtWebView::installBindingScript() {
    QWebEngineScriptCollection& scripts = m_page->scripts();
    for (const QWebEngineScript& old : scripts.findScripts(kBindingScriptName)) {
        scripts.remove(old);
    }
    QWebEngineScript script;
    script.setName(kBindingScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(bridge::bindingScript(m_bindingOrder));
    scripts.insert(script);
}

void QtWebView::bindFunction(const QByteArray& name, NativeFunction function, void* boundParam,
                             int /*declaredCount*/) {
    if (!m_bindings.contains(name)) {
        m_bindingOrder.append(name);
    }
    m_bindings.insert(name, Binding{std::move(function), boundParam});
    if (!m_page) {
        return;
    }
    installBindingScript();
    if (!m_page->url().isEmpty()) {
        m_page->runJavaScript(bridge::bindingScript({name}));  // the document already loaded
    }
}

void QtWebView::unbindAll() {
    m_bindings.clear();
}

JsValue QtWebView::callNative(const QByteArray& name, const JsCall& call) {
    if (name == bridge::kLinkNavigationName) {
        return JsValue::boolean(acceptLinkNavigation(call.textArg(0)));
    }
    const auto found = m_bindings.constFind(name);
    if (found == m_bindings.constEnd() || !found->function) {
        qCWarning(lcView) << "page called unbound function" << name;
        return JsValue();
    }
    // A copy: the function may rebind names and so change the table while it runs.
    const Binding binding = *found;
    return binding.function(call, binding.boundParam);
}

// A URL that Qt could not parse cannot be given to the handler faithfully; it is refused.
bool QtWebView::acceptNavigation(const QUrl& url) {
    if (!m_approvedLink.isEmpty() && url == m_approvedLink) {
        m_approvedLink.clear();
        return true;
    }
    if (!url.isValid()) {
        qCWarning(lcView) << "navigation to an unreadable address refused:" << url.errorString();
        return false;
    }
    return m_events.navigation ? m_events.navigation(navigationText(url)) : true;
}

bool QtWebView::acceptLinkNavigation(const QString& url) {
    const bool allowed = m_events.navigation ? m_events.navigation(url) : true;
    m_approvedLink = allowed ? QUrl::fromEncoded(url.toUtf8()) : QUrl();
    return allowed;
}

void QtWebView::downloadRequested(const QUrl& url) {
    if (m_events.download) {
        m_events.download(url.toString());
    }
}

void QtWebView::loadUrl(const QString& url) {
    if (!m_page) {
        return;
    }
    m_page->load(QUrl::fromUserInput(url));
}

void QtWebView::runScript(const QString& script) {
    if (!m_page) {
        return;
    }
    m_page->runJavaScript(script);
}

// Waits in a nested event loop for the page's answer. The wait ends early, with undefined,
// when the page or its renderer goes away; and it is not begun at all when the page's renderer
// is itself waiting in a bridge call (it could not run the function until that call returns),
// in which case the call is still made, after the bridge call, and its result dropped.
JsValue QtWebView::callGlobal(const QByteArray& name, const QList<JsValue>& args) {
    if (!m_page) {
        return JsValue();
    }
    const QString script = bridge::callGlobalScript(name, args);
    if (BridgePage::isRendererWaiting(m_page->renderProcessPid())) {
        qCWarning(lcView) << "page function" << name
                          << "called during a page call; its result is not awaited";
        m_page->runJavaScript(script);
        return JsValue();
    }
    struct Answer {
        QPointer<QEventLoop> loop;
        QByteArray wire;
        bool arrived = false;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    answer->loop = &loop;
    QObject::connect(m_page, &QObject::destroyed, &loop, &QEventLoop::quit);
    QObject::connect(m_page, &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
    m_page->runJavaScript(script, [answer](const QVariant& result) {
        answer->wire = result.toString().toUtf8();
        answer->arrived = true;
        if (answer->loop) {
            answer->loop->quit();
        }
    });
    if (!answer->arrived) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return answer->arrived ? JsValue::fromWire(answer->wire) : JsValue();
}

void QtWebView::postGlobal(const QByteArray& name, const QList<JsValue>& args) {
    if (!m_page) {
        return;
    }
    m_page->runJavaScript(bridge::callGlobalScript(name, args));
}

void QtWebView::setGlobal(const QByteArray& name, const JsValue& value) {
    if (!m_page) {
        return;
    }
    m_page->runJavaScript(bridge::setGlobalScript(name, value));
}

void QtWebView::setZoomFactor(double factor) {
    m_zoomFactor = factor;
    if (m_page) {
        m_page->setZoomFactor(factor);
    }
}

QColor QtWebView::backgroundColor() const {
    return m_transparent ? QColor(Qt::transparent) : QColor(Qt::white);
}

void QtWebView::setTransparent(bool transparent) {
    m_transparent = transparent;
    if (m_page) {
        m_page->setBackgroundColor(backgroundColor());
    }
}

void QtWebView::setLocalStoragePath(const QString& path) {
    m_localStoragePath = path;
    usePage(ProfileStore::instance().profileFor(m_localStoragePath, m_cookiePath));
}

void QtWebView::setCookieJarPath(const QString& path) {
    m_cookiePath = path;
    usePage(ProfileStore::instance().profileFor(m_localStoragePath, m_cookiePath));
}

// The inspector is the engine's own; the path of a separate inspector front end is not needed.
void QtWebView::showDevTools(const QString& /*inspectorPath*/) {
    if (!m_page) {
        return;
    }
    if (!m_devTools) {
        m_devTools = new QWebEngineView();
        m_devTools->setAttribute(Qt::WA_DeleteOnClose);
        m_devTools->resize(kDevToolsWidth, kDevToolsHeight);
        m_page->setDevToolsPage(m_devTools->page());
    }
    m_devTools->show();
}

void QtWebView::goBack() {
    if (!m_page) {
        return;
    }
    m_page->triggerAction(QWebEnginePage::Back);
}

void QtWebView::goForward() {
    if (!m_page) {
        return;
    }
    m_page->triggerAction(QWebEnginePage::Forward);
}

bool QtWebView::canGoBack() const {
    if (!m_page) {
        return false;
    }
    return m_page->history()->canGoBack();
}

bool QtWebView::canGoForward() const {
    if (!m_page) {
        return false;
    }
    return m_page->history()->canGoForward();
}

QString QtWebView::url() const {
    if (!m_page) {
        return QString();
    }
    return m_page->url().toString();
}

QString QtWebView::title() const {
    if (!m_page) {
        return QString();
    }
    return m_page->title();
}

QString QtWebView::cookies() const {
    if (!m_page) {
        return QString();
    }
    return ProfileStore::instance().cookieHeaderFor(m_page->profile(), m_page->url().host());
}

}  // namespace webhost
