#pragma once

#include <QByteArray>

namespace webhost {

class BaseBlkWinow;
class WebView;

// The framework's page functions, bound on every web view with the window as bound parameter:
// window functions (createWindow, showWindow, setDragRect, sendMessage, ...) and system
// functions (shellExecute, listDir, readTextFile, formatMessage, ...).
void bindFrameworkFunctions(WebView& view, BaseBlkWinow* window);

// createWindow's URL field holds 1024 bytes; a longer URL is cut at a character boundary.
constexpr int kCreateWindowUrlBytes = 1024;
QByteArray limitCreateWindowUrl(const QByteArray& url);

}  // namespace webhost
