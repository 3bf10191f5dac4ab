#pragma once

#include "BaseBlkWinow.h"
#include "JsValue.h"
#include "WebView.h"

// Shared by the files that define the framework's page functions.
namespace webhost::framework {

using PageFunction = JsValue (*)(const JsCall& call, BaseBlkWinow& window);

struct PageFunctionEntry {
    const char* name;
    int declaredCount;
    PageFunction function;
};

// Binds each entry with the window as bound parameter. A call that arrives after the window was
// destroyed (the page's script can run on for a moment while its view is being released) is
// answered with undefined instead of reaching a deleted object.
template <std::size_t N>
void bindAll(WebView& view, BaseBlkWinow* window, const PageFunctionEntry (&entries)[N]) {
    const WindowHandle handle = window->handle();
    for (const PageFunctionEntry& entry : entries) {
        PageFunction function = entry.function;
        view.bindFunction(
            entry.name,
            [function, handle](const JsCall& call, void* bound) {
                auto* self = static_cast<BaseBlkWinow*>(bound);
                if (BaseWindow::fromHandle(handle) != self) {
                    return JsValue();
                }
                return function(call, *self);
            },
            window, entry.declaredCount);
    }
}

void bindWindowFunctions(WebView& view, BaseBlkWinow* window);
void bindSystemFunctions(WebView& view, BaseBlkWinow* window);

// Texts for the page: UTF-8 results from wide text.
inline JsValue text(const QString& value) {
    return JsValue::string(value);
}
inline JsValue text(const std::wstring& value) {
    return JsValue::string(QString::fromStdWString(value));
}

}  // namespace webhost::framework
