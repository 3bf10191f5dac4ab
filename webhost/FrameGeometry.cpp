#include "FrameGeometry.h"

namespace webhost {

int borderlessHitTest(QSize windowSize, QPoint pos, int frame, bool resize, bool drag) {
    const int interior = drag ? kHtCaption : kHtClient;
    if (!resize) {
        return interior;
    }
    const bool left = pos.x() < frame;
    const bool right = pos.x() >= windowSize.width() - frame;
    const bool top = pos.y() < frame;
    const bool bottom = pos.y() >= windowSize.height() - frame;
    if (top) {
        return left ? kHtTopLeft : right ? kHtTopRight : kHtTop;
    }
    if (bottom) {
        return left ? kHtBottomLeft : right ? kHtBottomRight : kHtBottom;
    }
    if (left) {
        return kHtLeft;
    }
    if (right) {
        return kHtRight;
    }
    return interior;
}

bool dragAreaContains(const WinRect& area, QPoint pos) {
    constexpr int kAny = -1;
    const bool xInside = area.left == kAny || (area.left < pos.x() && pos.x() < area.right);
    const bool yInside = area.top == kAny || (area.top < pos.y() && pos.y() < area.bottom);
    return xInside && yInside;
}

WinRect dragAreaFromPage(int x, int y, int width, int height) {
    return WinRect{x, y, WinRect::moved(x, width), WinRect::moved(y, height)};
}

}  // namespace webhost
