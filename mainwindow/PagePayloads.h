#pragma once

#include <QList>

#include "webhost/JsValue.h"
#include "webhost/WindowMessages.h"

namespace mainwindow {

// A heap payload that knows the page function arguments it stands for. Background jobs whose
// records the page sees as objects (a printer change, a host's shared printers) post one; the
// main window procedure makes the page call and the message frees it.
class PageArgumentsPayload : public webhost::MessagePayload {
public:
    virtual QList<webhost::JsValue> pageArguments() const = 0;
};

// 0x84F: the end of a driver package started by installDriverPackage; carries the text the page
// passed along (the result travels in wParam).
struct PackageFinishedPayload : webhost::MessagePayload {
    explicit PackageFinishedPayload(QByteArray t) : tag(std::move(t)) {}
    QByteArray tag;
};

}  // namespace mainwindow
