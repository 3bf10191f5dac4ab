#include "FrameworkFunctions.h"

#include "FrameworkBinding.h"
#include "Utf8Text.h"

namespace webhost {

void bindFrameworkFunctions(WebView& view, BaseBlkWinow* window) {
    framework::bindWindowFunctions(view, window);
    framework::bindSystemFunctions(view, window);
}

QByteArray limitCreateWindowUrl(const QByteArray& url) {
    return truncateUtf8(url, kCreateWindowUrlBytes);
}

}  // namespace webhost
