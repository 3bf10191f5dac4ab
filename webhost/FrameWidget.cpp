#include "FrameWidget.h"

#include <QCloseEvent>
#include <QPainter>

#include "BaseWindow.h"

namespace webhost {
namespace {

// WM_SIZE's wParam values.
constexpr WParam kSizeRestored = 0;
constexpr WParam kSizeMinimized = 1;
constexpr WParam kSizeMaximized = 2;

WParam sizeKind(const QWidget& widget) {
    if (widget.isMinimized()) {
        return kSizeMinimized;
    }
    return widget.isMaximized() ? kSizeMaximized : kSizeRestored;
}

}  // namespace

FrameWidget::FrameWidget(BaseWindow* window) : m_window(window) {}

void FrameWidget::closeEvent(QCloseEvent* event) {
    // The window manager's close button: the procedure decides (hide, quit or destroy).
    event->ignore();
    if (m_window) {
        m_window->send(kWmSysCommand, kScClose, 0);
    }
}

void FrameWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_window) {
        m_window->send(kWmSize, sizeKind(*this), makeLParam(width(), height()));
    }
}

void FrameWidget::paintEvent(QPaintEvent*) {
    if (m_window) {
        QPainter painter(this);
        m_window->send(kWmEraseBkgnd, 0, 0, std::make_unique<PaintPayload>(&painter));
    }
}

}  // namespace webhost
