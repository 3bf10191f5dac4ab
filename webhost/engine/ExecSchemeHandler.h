#pragma once

#include <QWebEngineUrlSchemeHandler>

namespace webhost {

// exec:// addresses are commands for the view's navigation handler, never documents. The
// engine lets a page navigate to a custom scheme only when a handler for it is installed, so
// this one exists; it refuses every request that still reaches it.
class ExecSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    static constexpr const char* kScheme = "exec";

    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;
};

}  // namespace webhost
