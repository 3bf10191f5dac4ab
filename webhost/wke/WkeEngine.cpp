// WebEngine over the embedded engine's DLL from the program folder.
#include <QDir>
#include <QLoggingCategory>

#include "../WebView.h"
#include "WkeLibrary.h"
#include "WkePageRequests.h"
#include "WkeWebView.h"
#include "process/Dialogs.h"

namespace webhost {

Q_LOGGING_CATEGORY(lcWkeEngine, "corvanta.webhost.engine")

namespace {

bool g_loaded = false;
bool g_unloaded = false;

WebEngine::ViewFactory& standIn() {
    static WebEngine::ViewFactory factory;
    return factory;
}

// One box per entry point the DLL lacks; start-up goes on, and what needs it does nothing.
void reportMissingEntryPoints(const std::vector<std::string>& missing) {
    for (const std::string& name : missing) {
        qCWarning(lcWkeEngine) << "engine entry point missing:" << name.c_str();
        process::messageBox(nullptr, QStringLiteral("wke api not found"),
                            QString::fromStdString(name), process::kMbOk);
    }
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
    const std::wstring path =
        QDir::toNativeSeparators(QDir(programFolder).absolutePath()).toStdWString() + L"\\" +
        wke::kLibraryName;
    std::vector<std::string> missing;
    unsigned long loadError = 0;
    if (!wke::loadLibrary(path, &missing, &loadError)) {
        if (error) {
            *error = QStringLiteral("%1 cannot be loaded (error %2)")
                         .arg(QString::fromStdWString(path))
                         .arg(loadError);
        }
        return false;
    }
    const wke::Api& e = wke::api();
    if (e.wkeInitializeEx) {
        e.wkeInitializeEx(nullptr);
    }
    reportMissingEntryPoints(missing);
    if (e.wkeEnableHighDPISupport) {
        e.wkeEnableHighDPISupport();
    }
    wke::servePagesFrom(programFolder, servedHost);
    g_loaded = true;
    return true;
}

// The engine keeps local storage and cookies where each view's paths say; views without paths
// use the engine's own place.
void WebEngine::setDefaultStorageFolder(const QString&) {}

void WebEngine::unload() {
    g_unloaded = true;
}

void WebEngine::useStandIn(ViewFactory factory) {
    standIn() = std::move(factory);
}

bool WebEngine::isLoaded() {
    return g_loaded && !g_unloaded;
}

// The engine draws pages in this process: there is no page process whose start could fail.
void WebEngine::setStartFailureHandler(std::function<void(const QString&)>) {}

std::unique_ptr<WebView> WebEngine::createView(QWidget* parent, int x, int y, int width,
                                               int height) {
    if (!isLoaded()) {
        qCWarning(lcWkeEngine) << "a view was asked for while the engine is not loaded";
        return nullptr;
    }
    if (standIn()) {
        return standIn()(parent, x, y, width, height);
    }
    return std::make_unique<WkeWebView>(parent, x, y, width, height);
}

}  // namespace webhost
