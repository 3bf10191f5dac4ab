#include "TaskbarLauncher.h"

// A taskbar entry without a progress display: the product allows the button to show none.
namespace mainwindow::launcher {

void showProgress(double /*fraction*/) {}

void hideProgress() {}

}  // namespace mainwindow::launcher
