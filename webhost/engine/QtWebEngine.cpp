#include <QLoggingCategory>
#include <QRect>
#include <QWebEngineUrlScheme>

#include "../WebView.h"
#include "EngineStartup.h"
#include "ExecSchemeHandler.h"
#include "LocalPageServer.h"
#include "ProfileStore.h"
#include "QtWebView.h"
#include "StartMonitor.h"

namespace webhost {

Q_LOGGING_CATEGORY(lcEngine, "corvanta.webhost.engine")

namespace {

constexpr const char* kFlagsVariable = "QTWEBENGINE_CHROMIUM_FLAGS";

bool g_loaded = false;
bool g_unloaded = false;

WebEngine::ViewFactory& standIn() {
    static WebEngine::ViewFactory factory;
    return factory;
}

// The page starts programs by navigating to exec://<command line>. The engine drops navigations
// to schemes it does not know before the page is asked about them, so the scheme is made known;
// that is only possible before the application object exists, hence at library load.
void registerNavigationSchemes() {
    QWebEngineUrlScheme scheme(ExecSchemeHandler::kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
}
Q_CONSTRUCTOR_FUNCTION(registerNavigationSchemes)

void addChromiumFlags(const QByteArray& flags) {
    const QByteArray existing = qgetenv(kFlagsVariable);
    qputenv(kFlagsVariable, existing.isEmpty() ? flags : existing + ' ' + flags);
}

}  // namespace

bool WebEngine::load(const QString& programFolder, QString* error) {
    return load(programFolder, QString(), error);
}

bool WebEngine::load(const QString& programFolder, const QString& servedHost, QString* error) {
    if (g_loaded) {
        return true;
    }
    if (standIn()) {
        g_loaded = true;
        return true;
    }
    startup::prepareEnvironment();
    if (!startup::checkRuntime(error) ||
        !LocalPageServer::instance().start(programFolder, servedHost, error)) {
        qCWarning(lcEngine) << "engine not loaded:" << (error ? *error : QString());
        return false;
    }
    addChromiumFlags(startup::chromiumFlags(startup::hostNameOf(servedHost),
                                            LocalPageServer::instance().port()));
    // The first profile starts the engine, with the flags above.
    ProfileStore::instance().profileFor(QString(), QString());
    g_loaded = true;
    return true;
}

void WebEngine::setDefaultStorageFolder(const QString& folder) {
    ProfileStore::instance().setDefaultStorageFolder(folder);
}

void WebEngine::unload() {
    g_unloaded = true;
    if (!standIn()) {
        ProfileStore::instance().releaseProfiles();
    }
}

void WebEngine::useStandIn(ViewFactory factory) {
    standIn() = std::move(factory);
}

bool WebEngine::isLoaded() {
    return g_loaded && !g_unloaded;
}

void WebEngine::setStartFailureHandler(std::function<void(const QString&)> handler) {
    StartMonitor::instance().setFailureHandler(std::move(handler));
}

std::unique_ptr<WebView> WebEngine::createView(QWidget* parent, int x, int y, int width,
                                               int height) {
    if (!isLoaded()) {
        qCWarning(lcEngine) << "a view was asked for while the engine is not loaded";
        return nullptr;
    }
    if (standIn()) {
        return standIn()(parent, x, y, width, height);
    }
    return std::make_unique<QtWebView>(parent, QRect(x, y, width, height));
}

}  // namespace webhost
