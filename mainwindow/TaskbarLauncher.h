#pragma once

namespace mainwindow::launcher {

// The progress shown on the program's taskbar entry, where the desktop offers one: a fraction
// from 0 to 1 while shown. Without such a desktop the calls do nothing.
void showProgress(double fraction);
void hideProgress();

}  // namespace mainwindow::launcher
