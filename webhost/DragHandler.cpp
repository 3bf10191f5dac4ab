#include "DragHandler.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "BaseWindow.h"
#include "FrameGeometry.h"
#include "FrameWidget.h"

namespace webhost {
namespace {

Qt::Edges edgesFor(int hitCode) {
    switch (hitCode) {
        case kHtLeft:
            return Qt::LeftEdge;
        case kHtRight:
            return Qt::RightEdge;
        case kHtTop:
            return Qt::TopEdge;
        case kHtBottom:
            return Qt::BottomEdge;
        case kHtTopLeft:
            return Qt::TopEdge | Qt::LeftEdge;
        case kHtTopRight:
            return Qt::TopEdge | Qt::RightEdge;
        case kHtBottomLeft:
            return Qt::BottomEdge | Qt::LeftEdge;
        case kHtBottomRight:
            return Qt::BottomEdge | Qt::RightEdge;
        default:
            return {};
    }
}

bool isWithin(const QWidget* target, const QWidget* ancestor) {
    return ancestor && (target == ancestor || ancestor->isAncestorOf(target));
}

}  // namespace

DragHandler::DragHandler(FrameWidget* frame) : QObject(frame), m_frame(frame) {}

bool DragHandler::eventFilter(QObject* watched, QEvent* event) {
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || !m_frame->window() || target->window() != m_frame) {
        return false;
    }
    // Only the mouse events are QMouseEvents: the cast waits for the type.
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return mouse->button() == Qt::LeftButton && onPress(target, mouse->globalPos());
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_dragging && (mouse->buttons() & Qt::LeftButton)) {
                m_frame->move(m_pressWindowPos + mouse->globalPos() - m_pressCursor);
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            return false;
        default:
            return false;
    }
}

bool DragHandler::onPress(QWidget* target, QPoint globalPos) {
    BaseWindow* window = m_frame->window();
    const FrameFlags& flags = window->frameFlags();
    const QPoint inWindow = m_frame->mapFromGlobal(globalPos);
    QWidget* view = window->viewWidget();
    if (isWithin(target, view)) {
        if (flags.borderless) {
            const int edge = borderlessHitTest(m_frame->size(), inWindow, kFrameThickness,
                                               flags.borderlessResize, false);
            if (edge != kHtClient) {
                return startResize(edge);
            }
        }
        const QPoint inView = view->mapFromGlobal(globalPos);
        return dragAreaContains(window->captionRect(), inView) && startMove(globalPos);
    }
    const auto hit =
        static_cast<int>(window->send(kWmNcHitTest, 0, makeLParam(globalPos.x(), globalPos.y())));
    if (hit == kHtCaption) {
        return startMove(globalPos);
    }
    return startResize(hit);
}

bool DragHandler::startResize(int hitCode) {
    const Qt::Edges edges = edgesFor(hitCode);
    QWindow* native = m_frame->windowHandle();
    return edges && native && native->startSystemResize(edges);
}

bool DragHandler::startMove(QPoint globalPos) {
    QWindow* native = m_frame->windowHandle();
    if (native && native->startSystemMove()) {
        return true;
    }
    // The platform cannot move windows for us (offscreen, some Wayland compositors): follow
    // the pointer instead.
    m_dragging = true;
    m_pressCursor = globalPos;
    m_pressWindowPos = m_frame->pos();
    return true;
}

}  // namespace webhost
