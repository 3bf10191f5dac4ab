#pragma once

#include <QtGlobal>
#include <memory>

// Windows messages between the windows of this process. A window is an object with an integer
// handle and a window procedure (message, wParam, lParam) -> result, as on Windows. postMessage
// may be called from any thread and queues to the UI thread; sendMessage from a worker blocks
// until the UI thread has handled the message, and from the UI thread calls the procedure
// directly.
//
// Data that does not fit in wParam/lParam travels as a MessagePayload owned by the message: the
// receiving procedure may take it, and whatever it leaves is freed with the message. A message
// whose window no longer exists (or that is never dispatched because the application ends) is
// freed all the same, so every payload is freed exactly once without anyone having to remember.
namespace webhost {

using WindowHandle = int;  // pages pass handles as script integers
using WParam = quintptr;
using LParam = qintptr;
using LResult = qintptr;

// Win32 message numbers this framework handles.
constexpr unsigned kWmDestroy = 0x0002;
constexpr unsigned kWmSize = 0x0005;
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmEraseBkgnd = 0x0014;
constexpr unsigned kWmGetMinMaxInfo = 0x0024;
constexpr unsigned kWmNcDestroy = 0x0082;
constexpr unsigned kWmNcHitTest = 0x0084;
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmSysCommand = 0x0112;
constexpr unsigned kWmTimer = 0x0113;
constexpr unsigned kWmDpiChanged = 0x02E0;
constexpr unsigned kWmUser = 0x0400;
constexpr WParam kScClose = 0xF060;

// Private messages: their numbers are the contract between the subsystems.
constexpr unsigned kMsgChildWindowClosed = 0x464;  // wParam: the closed window's handle
constexpr unsigned kMsgSetDragRect = 0x465;        // payload: DragRectPayload
constexpr unsigned kMsgTrayIcon = 0x467;
constexpr unsigned kMsgReceiveJsMessage = 0x468;  // payload: JsMessagePayload
constexpr unsigned kMsgSecondInstance = 0x469;
constexpr unsigned kMsgProcessData = 0x46A;  // lParam: id, payload: TextPayload

class MessagePayload {
public:
    virtual ~MessagePayload() = default;
};

struct WindowMessage {
    unsigned message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::unique_ptr<MessagePayload> payload;

    // The payload when it has the expected type, else null (a page may send any number
    // without one).
    template <typename T>
    T* payloadAs() const {
        return dynamic_cast<T*>(payload.get());
    }
};

// Anything with a window procedure.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LResult windowProc(WindowMessage& message) = 0;
};

// A message with its parameters and payload, as a window procedure receives it.
WindowMessage makeMessage(unsigned message, WParam wParam, LParam lParam,
                          std::unique_ptr<MessagePayload> payload = {});

// PostMessageW: false when the window does not exist (the payload is freed then too).
bool postMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam,
                 std::unique_ptr<MessagePayload> payload = {});
// SendMessageW: the procedure's result, 0 when the window does not exist.
LResult sendMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam,
                    std::unique_ptr<MessagePayload> payload = {});
// PostQuitMessage: ends the UI thread's event loop once the messages queued before are handled.
void postQuitMessage(int exitCode);

// MAKELPARAM / GET_X_LPARAM / GET_Y_LPARAM for signed 16-bit coordinates.
constexpr LParam makeLParam(int low, int high) {
    return static_cast<LParam>((static_cast<quint32>(high & 0xFFFF) << 16) |
                               static_cast<quint32>(low & 0xFFFF));
}
constexpr int lowWordSigned(LParam value) {
    return static_cast<qint16>(value & 0xFFFF);
}
constexpr int highWordSigned(LParam value) {
    return static_cast<qint16>((value >> 16) & 0xFFFF);
}

}  // namespace webhost
