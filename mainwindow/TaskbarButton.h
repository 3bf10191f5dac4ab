#pragma once

class QWidget;

namespace mainwindow {

// The window's taskbar button: scan progress on it, and a flash when a scan ends. On Linux the
// progress goes to the desktop's launcher entry over D-Bus where a session bus exists; without
// one (or without a taskbar) the calls do nothing, which the product allows.
class TaskbarButton {
public:
    void setWindow(QWidget* window) { m_window = window; }
    void setProgress(int done, int total);
    void clearProgress();
    // Flashes the button until the window comes to the foreground.
    void flash();

private:
    QWidget* m_window = nullptr;
};

}  // namespace mainwindow
