#include "ExecSchemeHandler.h"

#include <QWebEngineUrlRequestJob>

namespace webhost {

void ExecSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
}

}  // namespace webhost
