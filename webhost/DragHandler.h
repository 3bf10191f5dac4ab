#pragma once

#include <QObject>
#include <QPoint>

namespace webhost {

class FrameWidget;

// Moves and sizes a borderless window with the pointer. Presses anywhere in the window are
// seen here (the web view's own input widgets included):
// - within the sizing border, when the window is borderless with edge resizing, the window
//   manager sizes the window from that edge;
// - on the web view inside the page's drag area, the window is dragged (by the window manager,
//   or by following the pointer where the platform cannot do that);
// - on the window's own surface (the inset around the view), WM_NCHITTEST decides.
class DragHandler : public QObject {
public:
    explicit DragHandler(FrameWidget* frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool onPress(QWidget* target, QPoint globalPos);
    bool startResize(int hitCode);
    bool startMove(QPoint globalPos);

    FrameWidget* m_frame;
    bool m_dragging = false;
    QPoint m_pressCursor;
    QPoint m_pressWindowPos;
};

}  // namespace webhost
