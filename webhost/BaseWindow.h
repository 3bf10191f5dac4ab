#pragma once

#include <QSize>
#include <QString>
#include <memory>
#include <vector>

#include "WindowMessages.h"
#include "WindowSettings.h"

class QWidget;
class QScreen;
class QPainter;

namespace webhost {

class FrameWidget;

// Paint request carried by WM_ERASEBKGND: the painter of the frame's paint event (not owned).
struct PaintPayload : MessagePayload {
    explicit PaintPayload(QPainter* p) : painter(p) {}
    QPainter* painter;
};

// Carried by WM_GETMINMAXINFO: the procedure sets the minimum track size it wants.
struct MinMaxInfoPayload : MessagePayload {
    int minTrackWidth = 0;
    int minTrackHeight = 0;
};

// A native top-level window: its handle, frame, size and drag area. The native window is a
// top-level QWidget; its events reach the window procedure as the Windows messages they stand
// for (close button -> WM_SYSCOMMAND/SC_CLOSE, resize -> WM_SIZE, paint -> WM_ERASEBKGND, a
// press on the frame -> WM_NCHITTEST).
//
// Lifetime: a window object is created with new and deletes itself when its native window is
// destroyed (WM_NCDESTROY), as the web windows of this product always have. The Qt parts it
// owns are deleted from the event loop afterwards, so a page function may close the very
// window whose page called it.
class BaseWindow : public MessageTarget {
public:
    BaseWindow();
    ~BaseWindow() override;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    // The native window's handle; 0 before creation and after destruction.
    virtual WindowHandle handle() const { return m_handle; }
    QWidget* widget() const;
    WindowHandle owner() const { return m_owner; }
    const QString& windowClass() const { return m_windowClass; }

    void setWindowRect(const WinRect& rect) { m_windowRect = rect; }
    void setCaptionRect(const WinRect& rect) { m_captionRect = rect; }
    void setFrameFlags(const FrameFlags& flags) { m_frameFlags = flags; }
    void setOptions(const WindowOptions& options) { m_options = options; }
    void setMinimumSize(int width, int height);
    void setShowBoxes(bool minimizeBox, bool maximizeBox);

    const WinRect& captionRect() const { return m_captionRect; }
    const FrameFlags& frameFlags() const { return m_frameFlags; }
    const WindowOptions& options() const { return m_options; }
    // The widget that carries the page, when there is one; the drag area is relative to it.
    virtual QWidget* viewWidget() const { return nullptr; }
    double zoomFactor() const { return m_zoomFactor; }

    // DestroyWindow: WM_DESTROY, then WM_NCDESTROY (after which the object is gone).
    void destroyWindow();
    // EnableWindow on the native window of `handle` (any window of this process).
    static bool enableWindow(WindowHandle handle, bool enable);
    static BaseWindow* fromHandle(WindowHandle handle);

    // Calls this window's procedure directly, as SendMessage does on the UI thread.
    LResult send(unsigned message, WParam wParam = 0, LParam lParam = 0,
                 std::unique_ptr<MessagePayload> payload = {});

protected:
    // Window creation steps that concern the native window: create it (owned by `owner`,
    // disabling the owner when modal), size it by the DPI, apply the frame, centre it, show it
    // and enter it in the window list.
    bool createNativeWindow(const QString& windowClass, WindowHandle owner, bool createAsModal,
                            int showCommand);
    // The procedure's answer for messages it does not handle itself (DefWindowProc).
    LResult defaultWindowProc(WindowMessage& message);
    // Keeps a part alive until the event loop runs again after destruction; parts retired later
    // are released first.
    void retire(std::shared_ptr<void> part);
    void setNativeTitle(const QString& title);

    // The inset between the window's edge and the view: legacyFrame when borderless.
    int inset() const;
    QSize viewSize() const { return m_viewSize; }
    void setViewSize(QSize size) { m_viewSize = size; }
    void setZoomFactor(double factor) { m_zoomFactor = factor; }
    // WM_DPICHANGED: scale the window rectangle for the current screen and resize the window to
    // view size + 2 x legacyFrame; answers the new factor.
    double rescaleForScreen();
    void reenableModalOwner();
    bool createdAsModal() const { return m_createAsModal; }

    WinRect m_windowRect{0, 0, 800, 600};
    WinRect m_captionRect{-1, 0, -1, 60};
    FrameFlags m_frameFlags;
    WindowOptions m_options;
    int m_minWidth = 0;
    int m_minHeight = 0;
    bool m_showMinbox = true;
    bool m_showMaxbox = true;

private:
    friend class FrameWidget;
    void applyFrame();
    void destroyOwnedWindows();
    void applyMinimumTrackSize();
    void placeScaled();
    void centreInWorkArea();
    QScreen* screenForPlacement() const;

    WindowHandle m_handle = 0;
    WindowHandle m_owner = 0;
    bool m_createAsModal = false;
    QString m_windowClass;
    std::unique_ptr<FrameWidget> m_frame;
    struct Remains;
    std::shared_ptr<Remains> m_remains;
    double m_zoomFactor = 1.0;
    QSize m_viewSize;
    bool m_destroying = false;
};

}  // namespace webhost
