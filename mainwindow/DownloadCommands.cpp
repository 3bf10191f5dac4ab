#include "Commands.h"
#include "MainBlkWindow.h"
#include "MainMessages.h"
#include "PagePayloads.h"
#include "downloads/DriverPackages.h"
#include "downloads/User.h"

namespace mainwindow::commands {

// No argument: the folder (the default one on first use). A text: the new folder, kept in
// memory until the window closes. Anything else: undefined.
JsValue downDir(const JsCall& call, MainBlkWindow&) {
    downloads::User& user = downloads::User::instance();
    if (call.argCount() == 0)
        return JsValue::string(user.downloadDirOrDefault());
    if (call.arg(0).type() != JsValue::Type::String)
        return JsValue();
    user.setDownloadDir(call.textArg(0));
    return JsValue::boolean(true);
}

// The package's end reaches the window as 0x84F with the text the page passed along.
JsValue installDriverPackage(const JsCall& call, MainBlkWindow& window) {
    const webhost::WindowHandle handle = window.handle();
    const QByteArray tag = call.utf8Arg(0);
    const int result =
        downloads::installDriverPackage(call.textArg(1), [handle, tag](quint32 launchResult) {
            webhost::sendMessage(handle, kMsgPackageFinished, launchResult, 0,
                                 std::make_unique<PackageFinishedPayload>(tag));
        });
    return JsValue::integer(result);
}

JsValue exec(const JsCall& call, MainBlkWindow&) {
    return JsValue::boolean(downloads::execShell(call.textArg(0), call.intArg(1)));
}

}  // namespace mainwindow::commands
