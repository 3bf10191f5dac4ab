#pragma once

#include <QPoint>
#include <QSize>

#include "WindowSettings.h"

// The geometry rules of a borderless web window: which part of the window the pointer is over
// (the native hit test) and whether a point lies in the page's drag area.
namespace webhost {

// WM_NCHITTEST results, numbered as HT* are.
enum HitTestCode : int {
    kHtClient = 1,
    kHtCaption = 2,
    kHtLeft = 10,
    kHtRight = 11,
    kHtTop = 12,
    kHtTopLeft = 13,
    kHtTopRight = 14,
    kHtBottom = 15,
    kHtBottomLeft = 16,
    kHtBottomRight = 17,
};

// The sizing border: SM_CXPADDEDBORDER (4) plus SM_CXSIZEFRAME (4) at 96 DPI.
constexpr int kFrameThickness = 8;

// `pos` in window coordinates. Within `frame` pixels of an edge or corner: the sizing code when
// `resize`, else the interior result; the interior is HTCAPTION when `drag`, else HTCLIENT.
int borderlessHitTest(QSize windowSize, QPoint pos, int frame, bool resize, bool drag);

// Whether `pos` (view coordinates) lies in the drag area: x inside when left is -1 or
// left < x < right, y inside when top is -1 or top < y < bottom.
bool dragAreaContains(const WinRect& area, QPoint pos);

// The drag area given as the page gives it (x, y, width, height), stored as the rectangle the
// drag test reads: left = x, top = y, right = x + width, bottom = y + height.
WinRect dragAreaFromPage(int x, int y, int width, int height);

}  // namespace webhost
