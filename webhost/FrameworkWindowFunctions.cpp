// The framework's page functions that act on windows.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "Autostart.h"
#include "FrameGeometry.h"
#include "FrameworkBinding.h"
#include "FrameworkFunctions.h"
#include "FrameworkPayloads.h"
#include "ShowCommand.h"
#include "TrayIcon.h"
#include "WindowList.h"

namespace webhost::framework {
namespace {

constexpr quint32 kErrorInvalidWindowHandle = 1400;
// Every window the page creates has its drag area in the top 30 pixels, over the full width.
const WinRect kPageWindowDragArea{-1, 0, -1, 30};

BaseBlkWinow* webWindow(WindowHandle handle) {
    return dynamic_cast<BaseBlkWinow*>(BaseWindow::fromHandle(handle));
}

QWidget* nativeWindow(WindowHandle handle) {
    BaseWindow* window = BaseWindow::fromHandle(handle);
    return window ? window->widget() : nullptr;
}

JsValue rectObject(const QRect& r) {
    JsValue object = JsValue::emptyObject();
    object.set("left", JsValue::integer(r.left()));
    object.set("top", JsValue::integer(r.top()));
    object.set("right", JsValue::integer(r.left() + r.width()));
    object.set("bottom", JsValue::integer(r.top() + r.height()));
    return object;
}

WinRect rectFrom(const JsValue& object) {
    return WinRect{object.get("left").toInt(), object.get("top").toInt(),
                   object.get("right").toInt(), object.get("bottom").toInt()};
}

// A new page window inherits what ties it to this product: the served host, the legacy inset
// and the temporary storage of the window that asked for it.
struct NewWindow {
    WindowHandle owner = 0;
    bool modal = false;
    QByteArray url;
    WindowSettings settings;
    FrameFlags frame;
    WindowOptions options;
    bool showMinbox = true;
    bool showMaxbox = true;
};

NewWindow pageWindowDefaults(const BaseBlkWinow& creator) {
    NewWindow w;
    w.settings.host = creator.host();
    w.settings.captionRect = kPageWindowDragArea;
    w.frame = FrameFlags{false, false, true, true, creator.frameFlags().legacyFrame};
    w.options.centerWindow = true;
    w.options.closeAsQuit = false;
    w.options.editVisible = false;
    return w;
}

JsValue openWindow(const NewWindow& w, const BaseBlkWinow& creator) {
    auto* window = new BaseBlkWinow(w.owner, w.modal, limitCreateWindowUrl(w.url));
    window->setShowBoxes(w.showMinbox, w.showMaxbox);
    window->create(w.settings, w.frame, w.options, !creator.localStoragePath().isEmpty(),
                   !creator.cookiePath().isEmpty(), kSwShow);
    return JsValue::integer(window->handle());
}

JsValue createWindow(const JsCall& call, BaseBlkWinow& self) {
    if (call.argCount() == 0) {
        return JsValue();
    }
    NewWindow w = pageWindowDefaults(self);
    w.owner = call.intArg(0);
    w.settings.windowRect = WinRect{0, 0, call.intArg(1), call.intArg(2)};
    w.modal = call.boolArg(3);
    w.url = call.utf8Arg(4);
    return openWindow(w, self);
}

JsValue createWindow2(const JsCall& call, BaseBlkWinow& self) {
    NewWindow w = pageWindowDefaults(self);
    const JsValue create = call.arg(0);
    w.owner = create.get("hParent").toInt();
    w.modal = create.get("createAsModal").toBoolean();
    w.url = create.get("url").toUtf8();
    w.settings.windowRect = rectFrom(call.arg(1));
    w.settings.captionRect = rectFrom(call.arg(2));
    const JsValue frame = call.arg(3);
    w.frame.borderless = frame.get("borderless").toBoolean();
    w.frame.borderlessShadow = frame.get("borderlessShadow").toBoolean();
    w.frame.borderlessDrag = frame.get("borderlessDrag").toBoolean();
    w.frame.borderlessResize = frame.get("borderlessResize").toBoolean();
    const JsValue options = call.arg(4);
    w.options.closeAsHide = options.get("closeAsHide").toBoolean();
    w.options.centerWindow = options.get("centerWindow").toBoolean();
    w.options.closeAsQuit = options.get("closeAsQuit").toBoolean();
    w.options.editVisible = options.get("editVisible").toBoolean();
    w.options.editHeight = options.get("editHeight").toInt();
    w.options.dwExStyle = options.get("dwExStyle").toInt();
    const JsValue minBox = options.get("showMinbox");
    const JsValue maxBox = options.get("showMaxbox");
    if (minBox.isBoolean() && maxBox.isBoolean()) {
        w.showMinbox = minBox.toBoolean();
        w.showMaxbox = maxBox.toBoolean();
    }
    return openWindow(w, self);
}

JsValue showWindow(const JsCall& call, BaseBlkWinow&) {
    QWidget* window = nativeWindow(call.intArg(0));
    return JsValue::boolean(window && applyShowCommand(window, call.intArg(1)));
}

JsValue showWindow2(const JsCall& call, BaseBlkWinow&) {
    const WindowHandle handle = call.intArg(0);
    if (QWidget* window = nativeWindow(handle)) {
        applyShowCommand(window, call.intArg(1));
    }
    BaseBlkWinow* target = webWindow(handle);
    if (!target) {
        return JsValue::boolean(false);
    }
    target->loadUrl(call.textArg(2));
    return JsValue::boolean(true);
}

// CloseWindow minimizes; it does not close.
JsValue closeWindow(const JsCall& call, BaseBlkWinow&) {
    QWidget* window = nativeWindow(call.intArg(0));
    if (window) {
        window->showMinimized();
    }
    return JsValue::boolean(window != nullptr);
}

JsValue setDragRect(const JsCall& call, BaseBlkWinow&) {
    const WinRect area =
        dragAreaFromPage(call.intArg(2), call.intArg(3), call.intArg(4), call.intArg(5));
    sendMessage(call.intArg(1), kMsgSetDragRect, 0, 0, std::make_unique<DragRectPayload>(area));
    return JsValue();
}

JsValue resizeWindow(const JsCall& call, BaseBlkWinow&) {
    QWidget* window = nativeWindow(call.intArg(0));
    if (!window) {
        return JsValue::integer(kErrorInvalidWindowHandle);
    }
    window->resize(call.intArg(1), call.intArg(2));
    return JsValue::integer(0);
}

JsValue sendPageMessage(const JsCall& call, BaseBlkWinow&) {
    const auto wParam = static_cast<WParam>(static_cast<LParam>(call.intArg(2)));
    const LResult result =
        sendMessage(call.intArg(0), static_cast<unsigned>(call.intArg(1)), wParam, call.intArg(3));
    return JsValue::integer(static_cast<qint64>(result));
}

JsValue enableWindow(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(BaseWindow::enableWindow(call.intArg(0), call.boolArg(1)));
}

JsValue isWindow(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(windowList::contains(call.intArg(0)));
}

JsValue getParent(const JsCall& call, BaseBlkWinow&) {
    BaseWindow* window = BaseWindow::fromHandle(call.intArg(0));
    return JsValue::integer(window ? window->owner() : 0);
}

JsValue getWindowRect(const JsCall& call, BaseBlkWinow&) {
    QWidget* window = nativeWindow(call.intArg(0));
    return rectObject(window ? window->frameGeometry() : QRect());
}

JsValue enumDisplayMonitors(const JsCall&, BaseBlkWinow&) {
    JsValue monitors = JsValue::emptyArray();
    for (QScreen* screen : QGuiApplication::screens()) {
        monitors.append(rectObject(screen->geometry()));
    }
    return monitors;
}

// Reads the handle and has no other effect: bringing a window forward is left to the user.
JsValue setForegroundWindow(const JsCall&, BaseBlkWinow&) {
    return JsValue::boolean(true);
}

JsValue loadurl(const JsCall& call, BaseBlkWinow&) {
    BaseBlkWinow* target = webWindow(call.intArg(0));
    if (!target) {
        return JsValue::boolean(false);
    }
    target->loadUrl(call.textArg(1));
    return JsValue::boolean(true);
}

// The icon goes on the window named by the first argument, when it is a web window of this
// process.
JsValue shellNotifyIcon(const JsCall& call, BaseBlkWinow&) {
    auto* target = dynamic_cast<BaseBlkWinow*>(BaseWindow::fromHandle(call.intArg(0)));
    if (!target)
        return JsValue::boolean(false);
    return JsValue::boolean(
        target->trayIcon().notify(call.intArg(1), call.textArg(2), call.intArg(3), call.arg(4)));
}

JsValue addToStartupList(const JsCall& call, BaseBlkWinow&) {
    return JsValue::integer(webhost::addToStartupList(call.textArg(0), call.textArg(1)));
}

JsValue checkStartupList(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(webhost::checkStartupList(call.textArg(0), call.textArg(1)));
}

JsValue deleteFromStartupList(const JsCall& call, BaseBlkWinow&) {
    return JsValue::integer(webhost::deleteFromStartupList(call.textArg(0)));
}

const PageFunctionEntry kWindowFunctions[] = {
    {"createWindow", 5, createWindow},
    {"createWindow2", 5, createWindow2},
    {"showWindow", 2, showWindow},
    {"showWindow2", 2, showWindow2},
    {"closeWindow", 1, closeWindow},
    {"setDragRect", 5, setDragRect},
    {"resizeWindow", 3, resizeWindow},
    {"sendMessage", 3, sendPageMessage},
    {"enableWindow", 2, enableWindow},
    {"isWindow", 1, isWindow},
    {"getParent", 1, getParent},
    {"getWindowRect", 1, getWindowRect},
    {"enumDisplayMonitors", 0, enumDisplayMonitors},
    {"setForegroundWindow", 1, setForegroundWindow},
    {"loadurl", 0, loadurl},
    {"shellNotifyIcon", 4, shellNotifyIcon},
    {"addToStartupList", 2, addToStartupList},
    {"checkStartupList", 2, checkStartupList},
    {"deleteFromStartupList", 1, deleteFromStartupList},
};

}  // namespace

void bindWindowFunctions(WebView& view, BaseBlkWinow* window) {
    bindAll(view, window, kWindowFunctions);
}

}  // namespace webhost::framework
