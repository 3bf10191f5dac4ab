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

namespace mainwindow {

// 0x854/0x856 and 0x857/0x858: which share-environment run sent the message, so that the late
// reports of a run that a newer one superseded reach neither the page nor the new results.
struct ShareRunPayload : webhost::MessagePayload {
    explicit ShareRunPayload(std::uint64_t g) : generation(g) {}
    std::uint64_t generation;
};

}  // namespace mainwindow
