#include "BaseBlkWinow.h"

#include <QLoggingCategory>

#include "TrayIcon.h"

#include <QDebug>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>

#include "AddressBar.h"
#include "FrameGeometry.h"
#include "FrameworkFunctions.h"
#include "FrameworkPayloads.h"
#include "Navigation.h"
#include "ProgramFolder.h"
#include "ShowCommand.h"
#include "WindowList.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"
#include "process/Dialogs.h"

Q_LOGGING_CATEGORY(lcWindow, "corvanta.webhost.window")

namespace webhost {
namespace {

const QColor kInsetGrey(170, 170, 170);
const QString kInspectorPath = QStringLiteral("/front_end/inspector.html");

QString tempFolderPath(const QString& name) {
    const std::wstring windowsPath = platform::systemInfo().tempFolder() + name.toStdWString();
    return QString::fromStdWString(platform::fileSystem().hostPath(windowsPath));
}

}  // namespace

BaseBlkWinow::BaseBlkWinow(WindowHandle owner, bool createAsModal, const QByteArray& startUrl)
    : m_startUrl(startUrl) {
    m_pendingOwner = owner;
    m_pendingModal = createAsModal;
}

BaseBlkWinow::~BaseBlkWinow() {
    m_trayIcon.reset();  // removes the icon from the notification area
    qCDebug(lcWindow) << "~BaseBlkWinow";
}

TrayIcon& BaseBlkWinow::trayIcon() {
    if (!m_trayIcon)
        m_trayIcon = std::make_unique<TrayIcon>(handle());
    return *m_trayIcon;
}

QString BaseBlkWinow::tempLocalStoragePath() {
    return tempFolderPath(QStringLiteral("LocalStorage"));
}

QString BaseBlkWinow::tempCookiePath() {
    return tempFolderPath(QStringLiteral("cookie.datee"));
}

QWidget* BaseBlkWinow::viewWidget() const {
    return m_view ? m_view->widget() : nullptr;
}

bool BaseBlkWinow::create(const WindowSettings& settings, const FrameFlags& frame,
                          const WindowOptions& options, bool tempLocalStorage, bool tempCookie,
                          int showCommand) {
    copySettings(settings, frame, options);
    m_localStoragePath = tempLocalStorage ? tempLocalStoragePath() : QString();
    m_cookiePath = tempCookie ? tempCookiePath() : QString();
    if (!createNativeWindow(settings.windowClass, m_pendingOwner, m_pendingModal, showCommand)) {
        return false;
    }
    createView();
    if (!m_view) {
        qWarning() << "no web view for window" << handle();
        return false;
    }
    bindFrameworkFunctions(*m_view, this);
    bindPageFunctions();
    configureView();
    enableDevTools();
    m_view->loadUrl(QString::fromUtf8(m_startUrl));
    m_view->widget()->show();
    createAddressBar();
    layout();
    return true;
}

void BaseBlkWinow::copySettings(const WindowSettings& settings, const FrameFlags& frame,
                                const WindowOptions& options) {
    m_caption = settings.caption;
    m_host = settings.host;
    m_devTools = settings.devTools;
    m_enableHotkey = settings.enableHotkey;
    setMinimumSize(settings.minWidth, settings.minHeight);
    setWindowRect(settings.windowRect);
    setCaptionRect(settings.captionRect);
    setFrameFlags(frame);
    setOptions(options);
}

void BaseBlkWinow::createView() {
    const int legacy = m_frameFlags.legacyFrame;
    m_view =
        WebEngine::createView(widget(), legacy, legacy, viewSize().width(), viewSize().height());
    if (!m_view) {
        return;
    }
    if (!m_localStoragePath.isEmpty()) {
        m_view->setLocalStoragePath(m_localStoragePath);
    }
    if (!m_cookiePath.isEmpty()) {
        m_view->setCookieJarPath(m_cookiePath);
    }
}

void BaseBlkWinow::configureView() {
    m_view->setZoomFactor(zoomFactor());
    m_view->setTransparent(false);
    connectViewEvents();
}

void BaseBlkWinow::connectViewEvents() {
    ViewEvents events;
    events.titleChanged = [this](const QString& title) { setNativeTitle(title); };
    events.urlChanged = [this](const QString& url) {
        if (m_addressBar) {
            m_addressBar->setText(url);
        }
    };
    events.navigation = [this](const QString& url) { return applyNavigationRule(url, *this); };
    events.loadingFinished = [this] { onLoadingFinished(); };
    events.download = [](const QString& url) {
        // The engine refuses the download; the shell opens the address instead.
        platform::processes().shellExecute(L"open", url.toStdWString(), L"", L"",
                                           platform::ShowMode::Normal, nullptr);
    };
    events.windowClosing = [] { return true; };
    m_view->setEvents(std::move(events));
}

void BaseBlkWinow::enableDevTools() {
    const QFileInfo inspector(programFolder() + kInspectorPath);
    if (m_devTools && inspector.exists() && !inspector.isDir()) {
        m_view->showDevTools(inspector.absoluteFilePath());
    }
}

void BaseBlkWinow::createAddressBar() {
    m_addressBar = new AddressBar(widget(), *this);
    m_addressBar->setFocus();
}

void BaseBlkWinow::layout() {
    QWidget* frame = widget();
    if (!frame || !m_view) {
        return;
    }
    const int in = inset();
    QRect client = frame->rect().adjusted(in, in, -in, -in);
    if (m_addressBar) {
        m_addressBar->setVisible(m_options.editVisible);
        if (m_options.editVisible) {
            m_addressBar->setGeometry(client.left(), client.top(), client.width(),
                                      m_options.editHeight);
            client.setTop(WinRect::moved(client.top(), m_options.editHeight));
        }
    }
    m_view->widget()->setGeometry(client);
}

void BaseBlkWinow::loadUrl(const QString& url) {
    if (m_view) {
        m_view->loadUrl(url);
    }
}

JsValue BaseBlkWinow::callPage(const QByteArray& name, const QList<JsValue>& args) {
    return m_view ? m_view->callGlobal(name, args) : JsValue();
}

void BaseBlkWinow::notifyPage(const QByteArray& name, const QList<JsValue>& args) {
    if (m_view)
        m_view->postGlobal(name, args);
}

void BaseBlkWinow::onLoadingFinished() {
    if (!m_view) {
        return;
    }
    m_view->setGlobal("handle", JsValue::integer(handle()));
    m_view->setGlobal("pid", JsValue::integer(platform::processes().currentProcessId()));
}

// The view goes first, before the frame that contains it (see BaseWindow::retire).
void BaseBlkWinow::releaseView() {
    if (!m_view) {
        return;
    }
    m_view->widget()->hide();
    m_view->setEvents(ViewEvents());
    m_view->unbindAll();
    retire(std::shared_ptr<WebView>(std::move(m_view)));
}

void BaseBlkWinow::paintBackground(WindowMessage& message) {
    auto* paint = message.payloadAs<PaintPayload>();
    if (!paint || !widget()) {
        return;
    }
    const QRect client = widget()->rect();
    paint->painter->fillRect(client, widget()->palette().window());
    paint->painter->fillRect(client, kInsetGrey);
}

LResult BaseBlkWinow::windowProc(WindowMessage& message) {
    switch (message.message) {
        case kWmDestroy:
            releaseView();
            if (m_options.closeAsQuit) {
                postQuitMessage(0);
            }
            return 0;
        case kWmSize:
            layout();
            return 0;
        case kWmClose:
            reenableModalOwner();
            destroyWindow();
            return 0;
        case kWmEraseBkgnd:
            paintBackground(message);
            return 1;
        case kWmGetMinMaxInfo:
            if (auto* info = message.payloadAs<MinMaxInfoPayload>();
                info && (m_minWidth || m_minHeight)) {
                info->minTrackWidth = m_minWidth;
                info->minTrackHeight = m_minHeight;
            }
            return 0;
        case kWmNcDestroy:
            return onChildClosed(message);
        case kWmNcHitTest:
            if (m_frameFlags.borderless && widget()) {
                const QPoint global(lowWordSigned(message.lParam), highWordSigned(message.lParam));
                return borderlessHitTest(widget()->size(), widget()->mapFromGlobal(global),
                                         kFrameThickness, m_frameFlags.borderlessResize,
                                         m_frameFlags.borderlessDrag);
            }
            return defaultWindowProc(message);
        case kWmSysCommand:
            return onSysCommand(message);
        case kWmCommand:
            if (m_trayIcon &&
                m_trayIcon->onMenuCommand(static_cast<int>(message.wParam & 0xFFFF), *this))
                return 0;
            return defaultWindowProc(message);
        case kWmDpiChanged:
            if (m_view) {
                m_view->setZoomFactor(rescaleForScreen());
            }
            layout();
            return 0;
        case kMsgChildWindowClosed:
            return callPage(
                       "notifyWindowMSGByCpp",
                       {JsValue::integer(static_cast<qint64>(message.wParam)), JsValue::integer(1)})
                .toBoolean();
        case kMsgSetDragRect:
            if (auto* drag = message.payloadAs<DragRectPayload>()) {
                setCaptionRect(drag->rect);
            }
            return 0;
        case kMsgTrayIcon:
            return onTrayMessage(message);
        case kMsgReceiveJsMessage:
            if (auto* js = message.payloadAs<JsMessagePayload>()) {
                notifyPage("ReceiveJSMessageByCpp",
                           {JsValue::integer(js->first), JsValue::integer(handle()),
                            JsValue::integer(js->first), JsValue::string(js->text)});
            }
            return 0;
        case kMsgSecondInstance:
            return onSecondInstance();
        case kMsgProcessData:
            if (auto* data = message.payloadAs<TextPayload>()) {
                notifyPage("processDataMsgByCpp",
                           {JsValue::integer(message.lParam), JsValue::string(data->text)});
            }
            return 0;
        default:
            return defaultWindowProc(message);
    }
}

LResult BaseBlkWinow::onSysCommand(WindowMessage& message) {
    qCDebug(lcWindow).noquote() << "wParam=" + QString::number(message.wParam);
    if ((message.wParam & 0xFFF0) != kScClose) {
        return defaultWindowProc(message);
    }
    if (m_options.closeAsQuit) {
        postMessage(handle(), kWmClose, 0, 0);
        return 0;
    }
    reenableModalOwner();
    if (m_options.closeAsHide) {
        widget()->hide();
    } else {
        destroyWindow();
    }
    return 0;
}

// WM_NCDESTROY: tell the owner, leave the window list and end this object.
LResult BaseBlkWinow::onChildClosed(WindowMessage& message) {
    const WindowHandle closed = handle();
    if (owner()) {
        sendMessage(owner(), kMsgChildWindowClosed, static_cast<WParam>(closed), 0);
    }
    defaultWindowProc(message);
    delete this;
    return 0;
}

LResult BaseBlkWinow::onSecondInstance() {
    process::messageBox(
        widget(), QStringLiteral("已启动一个") + m_caption + QStringLiteral(",无法再启动第二个。"),
        QStringLiteral("提示"), process::kMbOk);
    if (widget()) {
        applyShowCommand(widget(), kSwShowNa);
    }
    return 0;
}

LResult BaseBlkWinow::onTrayMessage(WindowMessage& message) {
    return m_trayIcon ? m_trayIcon->onTrayMessage(message, *this) : 0;
}

}  // namespace webhost
