#pragma once

#include <QByteArray>
#include <QString>

#include "WkeInterface.h"

namespace webhost::wke {

// Where the engine's requests for the configured host are answered from: the program folder
// (its html/) and the host ("http://ui.local"). Set when the engine is loaded.
void servePagesFrom(const QString& programFolder, const QString& servedHost);

// What a request is answered with when it is answered here: the body and its MIME type.
struct LocalAnswer {
    bool answered = false;
    QByteArray mimeType;
    QByteArray body;
};

// A request for the configured host is answered with its file from html/ (or one folder up)
// when that exists; the loopback test address is answered with its constant body; everything
// else goes to the network. Only the scheme and host of the address decide, not text anywhere
// in it, so a page of another site cannot have program files served as its own.
LocalAnswer answerLocally(const QByteArray& url);

// The engine's load-URL-begin event: hands a local answer to the engine.
bool CORVANTA_WKE_CALL onLoadUrlBegin(View view, void* param, const char* url, NetJob job);

}  // namespace webhost::wke
