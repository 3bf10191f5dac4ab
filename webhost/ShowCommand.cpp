#include "ShowCommand.h"

#include <QWidget>

namespace webhost {
namespace {

void showWithoutActivating(QWidget* window) {
    const bool before = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    window->show();
    window->setAttribute(Qt::WA_ShowWithoutActivating, before);
}

}  // namespace

bool applyShowCommand(QWidget* window, int command) {
    const bool wasVisible = window->isVisible();
    switch (command) {
        case kSwHide:
            window->hide();
            break;
        case kSwShowMinimized:
        case kSwMinimize:
        case kSwShowMinNoActive:
            window->showMinimized();
            break;
        case kSwShowMaximized:
            window->showMaximized();
            break;
        case kSwShowNoActivate:
        case kSwShowNa:
            showWithoutActivating(window);
            break;
        case kSwShowNormal:
        case kSwRestore:
            window->showNormal();
            break;
        default:  // SW_SHOW and the rest: show in the current state
            window->show();
            break;
    }
    return wasVisible;
}

}  // namespace webhost
