#pragma once

#include <QByteArray>
#include <QString>

#include "WindowMessages.h"
#include "WindowSettings.h"

// The heap payloads of the framework's private messages. The receiving window procedure owns
// them; WindowMessage frees them whether or not the window still exists.
namespace webhost {

// 0x465, from the page's setDragRect: the new drag area.
struct DragRectPayload : MessagePayload {
    explicit DragRectPayload(const WinRect& r) : rect(r) {}
    WinRect rect;
};

// 0x468: an 8-byte record whose first field is an integer, and a UTF-8 text.
struct JsMessagePayload : MessagePayload {
    qint32 first = 0;
    qint32 second = 0;
    QByteArray text;
};

// 0x46A: the output of an asynchronous command capture.
struct TextPayload : MessagePayload {
    explicit TextPayload(QString t) : text(std::move(t)) {}
    QString text;
};

}  // namespace webhost
