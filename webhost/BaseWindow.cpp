#include "BaseWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "DragHandler.h"
#include "FrameGeometry.h"
#include "FrameWidget.h"
#include "ShowCommand.h"
#include "WindowList.h"

namespace webhost {
namespace {

const QString kInitialTitle = QStringLiteral("标题");
constexpr double kBaseDpi = 96.0;

// Qt's largest widget size (QWIDGETSIZE_MAX); a page may ask for any size, and what lies
// beyond is held at this, which leaves room for the frame around the view.
constexpr double kLargestCoordinate = 16777215;

int scaled(int value, double factor) {
    return static_cast<int>(
        std::clamp(std::round(value * factor), -kLargestCoordinate, kLargestCoordinate));
}

}  // namespace

// The Qt parts of a destroyed window, released from the event loop after the message that
// destroyed the window has been handled. Released in reverse order of retirement, so the view
// goes before the frame that contains it.
struct BaseWindow::Remains {
    std::vector<std::shared_ptr<void>> parts;
    ~Remains() {
        while (!parts.empty()) {
            parts.pop_back();
        }
    }
};

BaseWindow::BaseWindow() = default;

BaseWindow::~BaseWindow() {
    if (m_handle) {
        windowList::remove(m_handle);
    }
}

QWidget* BaseWindow::widget() const {
    return m_frame.get();
}

void BaseWindow::setMinimumSize(int width, int height) {
    m_minWidth = width;
    m_minHeight = height;
}

void BaseWindow::setShowBoxes(bool minimizeBox, bool maximizeBox) {
    m_showMinbox = minimizeBox;
    m_showMaxbox = maximizeBox;
}

BaseWindow* BaseWindow::fromHandle(WindowHandle handle) {
    return dynamic_cast<BaseWindow*>(windowList::find(handle));
}

bool BaseWindow::enableWindow(WindowHandle handle, bool enable) {
    BaseWindow* window = fromHandle(handle);
    if (!window || !window->widget()) {
        return false;
    }
    // EnableWindow answers whether the window was disabled before.
    const bool wasDisabled = !window->widget()->isEnabled();
    window->widget()->setEnabled(enable);
    return wasDisabled;
}

LResult BaseWindow::send(unsigned message, WParam wParam, LParam lParam,
                         std::unique_ptr<MessagePayload> payload) {
    WindowMessage m = makeMessage(message, wParam, lParam, std::move(payload));
    return windowProc(m);
}

bool BaseWindow::createNativeWindow(const QString& windowClass, WindowHandle owner,
                                    bool createAsModal, int showCommand) {
    m_windowClass = windowClass;
    m_owner = owner;
    m_createAsModal = createAsModal;
    m_frame = std::make_unique<FrameWidget>(this);
    m_frame->setWindowTitle(kInitialTitle);
    m_frame->setAttribute(Qt::WA_OpaquePaintEvent);
    applyFrame();
    m_frame->winId();  // the native window exists from here on
    if (BaseWindow* ownerWindow = fromHandle(owner); ownerWindow && ownerWindow->widget()) {
        m_frame->windowHandle()->setTransientParent(ownerWindow->widget()->windowHandle());
    }
    if (createAsModal) {
        enableWindow(owner, false);
    }
    m_handle = windowList::allocateHandle();
    placeScaled();
    if (m_options.centerWindow) {
        centreInWorkArea();
    }
    applyMinimumTrackSize();
    applyShowCommand(m_frame.get(), showCommand);
    m_frame->update();
    windowList::add(m_handle, this, m_windowClass);
    qApp->installEventFilter(new DragHandler(m_frame.get()));
    QObject::connect(m_frame->windowHandle(), &QWindow::screenChanged, m_frame.get(),
                     [this] { send(kWmDpiChanged); });
    return true;
}

// WM_GETMINMAXINFO decides the minimum size, so derived windows can change it.
void BaseWindow::applyMinimumTrackSize() {
    auto request = std::make_unique<MinMaxInfoPayload>();
    MinMaxInfoPayload* limits = request.get();
    WindowMessage message;
    message.message = kWmGetMinMaxInfo;
    message.payload = std::move(request);
    windowProc(message);
    m_frame->setMinimumSize(limits->minTrackWidth, limits->minTrackHeight);
}

QScreen* BaseWindow::screenForPlacement() const {
    const QPoint topLeft(m_windowRect.left, m_windowRect.top);
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    return screen ? screen : QGuiApplication::primaryScreen();
}

// The window's size scaled by the screen's DPI: the zoom factor and the view's size follow it,
// and the window is the view plus the legacy frame on each side.
void BaseWindow::placeScaled() {
    QScreen* screen = screenForPlacement();
    m_zoomFactor = screen ? screen->logicalDotsPerInch() / kBaseDpi : 1.0;
    m_viewSize = QSize(scaled(m_windowRect.width(), m_zoomFactor),
                       scaled(m_windowRect.height(), m_zoomFactor));
    const int frame = 2 * m_frameFlags.legacyFrame;
    m_frame->move(scaled(m_windowRect.left, m_zoomFactor), scaled(m_windowRect.top, m_zoomFactor));
    m_frame->resize(m_viewSize.width() + frame, m_viewSize.height() + frame);
}

double BaseWindow::rescaleForScreen() {
    if (!m_frame) {
        return m_zoomFactor;
    }
    QScreen* screen = m_frame->screen();
    m_zoomFactor = screen ? screen->logicalDotsPerInch() / kBaseDpi : 1.0;
    m_viewSize = QSize(scaled(m_windowRect.width(), m_zoomFactor),
                       scaled(m_windowRect.height(), m_zoomFactor));
    const int frame = 2 * m_frameFlags.legacyFrame;
    m_frame->resize(m_viewSize.width() + frame, m_viewSize.height() + frame);
    return m_zoomFactor;
}

void BaseWindow::applyFrame() {
    Qt::WindowFlags flags = Qt::Window;
    if (m_frameFlags.borderless) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (m_showMinbox) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
        if (m_showMaxbox) {
            flags |= Qt::WindowMaximizeButtonHint;
        }
    }
    m_frame->setWindowFlags(flags);
}

// Centre over the owner, or over the work area of the nearest screen when there is none; then
// move back inside that screen's work area where the window sticks out.
void BaseWindow::centreInWorkArea() {
    QRect frame = m_frame->frameGeometry();
    BaseWindow* ownerWindow = fromHandle(m_owner);
    QScreen* screen = nullptr;
    QRect around;
    if (ownerWindow && ownerWindow->widget()) {
        around = ownerWindow->widget()->frameGeometry();
        screen = ownerWindow->widget()->screen();
    } else {
        screen = QGuiApplication::screenAt(frame.center());
        screen = screen ? screen : QGuiApplication::primaryScreen();
        around = screen ? screen->availableGeometry() : frame;
    }
    frame.moveCenter(around.center());
    if (screen) {
        const QRect work = screen->availableGeometry();
        frame.moveLeft(qMax(work.left(), qMin(frame.left(), work.right() - frame.width() + 1)));
        frame.moveTop(qMax(work.top(), qMin(frame.top(), work.bottom() - frame.height() + 1)));
    }
    m_frame->move(frame.topLeft());
}

int BaseWindow::inset() const {
    return m_frameFlags.borderless ? m_frameFlags.legacyFrame : 0;
}

void BaseWindow::setNativeTitle(const QString& title) {
    if (m_frame) {
        m_frame->setWindowTitle(title);
    }
}

void BaseWindow::reenableModalOwner() {
    if (m_createAsModal) {
        enableWindow(m_owner, true);
    }
}

void BaseWindow::retire(std::shared_ptr<void> part) {
    if (m_remains) {
        m_remains->parts.push_back(std::move(part));
    }
}

void BaseWindow::destroyWindow() {
    if (m_destroying || !m_frame) {
        return;
    }
    m_destroying = true;
    destroyOwnedWindows();
    m_frame->detach();
    m_frame->hide();
    m_remains = std::make_shared<Remains>();
    m_remains->parts.push_back(std::shared_ptr<FrameWidget>(std::move(m_frame)));
    QMetaObject::invokeMethod(
        qApp, [remains = m_remains]() mutable { remains.reset(); }, Qt::QueuedConnection);
    send(kWmDestroy);
    send(kWmNcDestroy);  // may delete this object
}

// As DestroyWindow does: the windows this one owns go first.
void BaseWindow::destroyOwnedWindows() {
    for (WindowHandle handle : windowList::handles()) {
        BaseWindow* window = fromHandle(handle);
        if (window && window->owner() == m_handle && window != this) {
            window->destroyWindow();
        }
    }
}

LResult BaseWindow::defaultWindowProc(WindowMessage& message) {
    switch (message.message) {
        case kWmClose:
            destroyWindow();
            return 0;
        case kWmSysCommand:
            if ((message.wParam & 0xFFF0) == kScClose) {
                send(kWmClose);
            }
            return 0;
        case kWmNcHitTest:
            return kHtClient;
        case kWmEraseBkgnd:
            if (auto* paint = message.payloadAs<PaintPayload>(); paint && m_frame) {
                paint->painter->fillRect(m_frame->rect(), m_frame->palette().window());
            }
            return 1;
        case kWmNcDestroy:
            windowList::remove(m_handle);
            m_handle = 0;
            return 0;
        default:
            return 0;
    }
}

}  // namespace webhost
