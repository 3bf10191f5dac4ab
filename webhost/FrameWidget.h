#pragma once

#include <QWidget>

namespace webhost {

class BaseWindow;

// The Qt side of a BaseWindow's native window: turns widget events into the window messages
// they stand for. Detached from its window when that is destroyed, since the widget itself is
// deleted a little later from the event loop.
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(BaseWindow* window);
    void detach() { m_window = nullptr; }
    BaseWindow* window() const { return m_window; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    BaseWindow* m_window;
};

}  // namespace webhost
