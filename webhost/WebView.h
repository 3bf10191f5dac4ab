#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "JsValue.h"

class QWidget;

namespace webhost {

// A native function bound by name on a view. It runs on the UI thread, receives the page's
// arguments and the parameter given at binding, and answers one value.
using NativeFunction = std::function<JsValue(const JsCall& call, void* boundParam)>;

// What a view tells its window. Each handler may be left empty.
struct ViewEvents {
    std::function<void(const QString& title)> titleChanged;
    std::function<void(const QString& url)> urlChanged;
    // Answers whether the navigation may go on.
    std::function<bool(const QString& url)> navigation;
    std::function<void()> loadingFinished;
    // A download the engine would start; it is always refused in the engine.
    std::function<void(const QString& url)> download;
    // The page asked to close its window; answers whether that is allowed.
    std::function<bool()> windowClosing;
};

// One web view: a page, its bound native functions and the page functions native code calls.
// UI thread only.
class WebView {
public:
    virtual ~WebView() = default;

    virtual QWidget* widget() = 0;

    // Bound functions are visible to every document loaded after binding. The declared count
    // is informational: a function reads whatever positions it needs.
    virtual void bindFunction(const QByteArray& name, NativeFunction function, void* boundParam,
                              int declaredCount) = 0;
    // Forgets every bound function: a page call still on its way afterwards answers undefined.
    // A window unbinds as it is destroyed, since its functions refer to it.
    virtual void unbindAll() = 0;

    virtual void loadUrl(const QString& url) = 0;
    virtual void runScript(const QString& script) = 0;
    // Calls the page's global function `name` and answers its result; undefined when the page
    // has no such function. Calls run in the order they are made.
    virtual JsValue callGlobal(const QByteArray& name, const QList<JsValue>& args) = 0;
    // The same without waiting for the result.
    virtual void postGlobal(const QByteArray& name, const QList<JsValue>& args) = 0;
    // Defines (or replaces) a global value of the current page.
    virtual void setGlobal(const QByteArray& name, const JsValue& value) = 0;

    virtual void setEvents(ViewEvents events) = 0;
    virtual void setZoomFactor(double factor) = 0;
    virtual void setTransparent(bool transparent) = 0;
    virtual void setLocalStoragePath(const QString& path) = 0;
    virtual void setCookieJarPath(const QString& path) = 0;
    virtual void showDevTools(const QString& inspectorPath) = 0;

    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;
    virtual QString url() const = 0;
    virtual QString title() const = 0;
    virtual QString cookies() const = 0;
};

// The engine behind the views. load() starts it once per process; createView() gives a child
// view of `parent` at the given place and pixel size.
class WebEngine {
public:
    // Answers false (and why in *error) when the engine cannot start in this process.
    static bool load(const QString& programFolder, QString* error);
    // The same, and requests for `servedHost` (the configured host, e.g. "http://ui.local")
    // are answered from <programFolder>/html by the local page server. The engine reads its
    // host mapping once, so the host must be known here, before the first view exists.
    static bool load(const QString& programFolder, const QString& servedHost, QString* error);
    // Where views without storage paths keep local storage and cookies across runs; before
    // load(). Not set, they keep them only for the process.
    static void setDefaultStorageFolder(const QString& folder);
    // Ends the engine's use by this process: every view must be gone. Views are not created
    // any more afterwards.
    static void unload();
    // Called once when the engine's first page process ends before any page finished loading:
    // the engine started but cannot show pages (for instance its helper program fails).
    static void setStartFailureHandler(std::function<void(const QString& reason)> handler);
    static bool isLoaded();
    static std::unique_ptr<WebView> createView(QWidget* parent, int x, int y, int width,
                                               int height);

    // Views made by `factory` instead of the engine, for programs that drive the bound
    // functions without a browser (the page-call fuzzer, the exit stress test). Set before
    // load(); load() then starts neither the browser nor the local page server.
    using ViewFactory = std::function<std::unique_ptr<WebView>(QWidget* parent, int x, int y,
                                                               int width, int height)>;
    static void useStandIn(ViewFactory factory);
};

}  // namespace webhost
