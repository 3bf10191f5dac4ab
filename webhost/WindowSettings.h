#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <limits>

namespace webhost {

// A Win32 RECT: right and bottom are one past the last pixel.
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // A page may give any corners: a span beyond int's range is held at its end.
    int width() const { return span(left, right); }
    int height() const { return span(top, bottom); }
    bool operator==(const WinRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    static int span(int from, int to) { return saturated(static_cast<long long>(to) - from); }
    // A corner moved by a page's offset, held within int's range.
    static int moved(int from, int by) { return saturated(static_cast<long long>(from) + by); }

private:
    static int saturated(long long value) {
        return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    }
};

// What one web window looks like: filled by start-up, by config.inf or by the page's
// createWindow calls.
struct WindowSettings {
    QString windowClass = QStringLiteral("commonWin");
    // Used by the second-instance notice; the native title follows the page title instead.
    QString caption;
    // Scheme and host of the UI server; requests for it are answered from html/.
    QByteArray host;
    int devTools = 0;
    int enableHotkey = 0;  // stored only
    // Initial place and size in 96-DPI units.
    WinRect windowRect{0, 0, 800, 600};
    // Drag area in view coordinates; -1 in left means any x, -1 in top means any y.
    WinRect captionRect{-1, 0, -1, 60};
    int minWidth = 0;
    int minHeight = 0;
};

struct FrameFlags {
    bool borderlessResize = true;  // the edges resize the window
    bool borderlessDrag = true;    // the interior drags the window
    bool borderless = true;        // no standard frame
    bool borderlessShadow = true;
    // 1 on systems older than Windows 8: the inset in pixels between the window's edge and
    // the view.
    int legacyFrame = 1;
};

struct WindowOptions {
    bool closeAsHide = false;
    bool centerWindow = true;
    bool closeAsQuit = false;
    int dwExStyle = 0;
    bool editVisible = false;  // address bar shown
    int editHeight = 30;
};

}  // namespace webhost
