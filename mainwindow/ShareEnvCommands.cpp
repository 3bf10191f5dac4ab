// The share-environment commands: the eleven checks at once or on a worker with progress, and
// their repair on a worker.
#include <QList>

#include "Commands.h"
#include "MainBlkWindow.h"
#include "sharing/ShareEnvironment.h"

namespace mainwindow::commands {

JsValue queryShareEnv(const JsCall&, MainBlkWindow&) {
    QList<JsValue> results;
    for (std::int32_t value : sharing::ShareEnvironment::instance().queryAll()) {
        results.append(JsValue::integer(value));
    }
    return JsValue::arrayOf(results);
}

JsValue queryShareEnvAsync(const JsCall&, MainBlkWindow& window) {
    window.startShareQuery();
    return JsValue::null();
}

JsValue resetShareEnvAsync(const JsCall&, MainBlkWindow& window) {
    const bool restart = sharing::ShareEnvironment::instance().needsRestart();
    window.startShareRepair();
    return JsValue::boolean(restart);
}

}  // namespace mainwindow::commands
