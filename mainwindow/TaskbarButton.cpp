#include "TaskbarButton.h"

#include <QApplication>

#include "TaskbarLauncher.h"

namespace mainwindow {

void TaskbarButton::setProgress(int done, int total) {
    launcher::showProgress(total > 0 ? static_cast<double>(done) / total : 0.0);
}

void TaskbarButton::clearProgress() {
    launcher::hideProgress();
}

void TaskbarButton::flash() {
    if (m_window)
        QApplication::alert(m_window);
}

}  // namespace mainwindow
