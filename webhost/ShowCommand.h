#pragma once

class QWidget;

namespace webhost {

// ShowWindow's commands, numbered as SW_* are.
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;
constexpr int kSwShowMaximized = 3;
constexpr int kSwShowNoActivate = 4;
constexpr int kSwShow = 5;
constexpr int kSwMinimize = 6;
constexpr int kSwShowMinNoActive = 7;
constexpr int kSwShowNa = 8;
constexpr int kSwRestore = 9;

// ShowWindow on a top-level widget: answers whether it was visible before.
bool applyShowCommand(QWidget* window, int command);

}  // namespace webhost
