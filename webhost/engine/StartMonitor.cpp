#include "StartMonitor.h"

namespace webhost {

StartMonitor& StartMonitor::instance() {
    static StartMonitor monitor;
    return monitor;
}

void StartMonitor::setFailureHandler(std::function<void(const QString&)> handler) {
    m_failureHandler = std::move(handler);
}

void StartMonitor::pageLoaded() {
    m_anyPageLoaded = true;
}

void StartMonitor::rendererEnded(const QString& reason) {
    if (m_anyPageLoaded || m_reported) {
        return;
    }
    m_reported = true;
    if (m_failureHandler) {
        m_failureHandler(reason);
    }
}

}  // namespace webhost
