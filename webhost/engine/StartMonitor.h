#pragma once

#include <QString>
#include <functional>

namespace webhost {

// Tells whether the engine could show a page at all. The static checks of loading cannot see
// every failure (a helper program that exists but dies at once), so the first page's
// renderer is watched: when it ends before any page of the process finished loading, the
// engine is unusable and the failure handler is called, once.
class StartMonitor {
public:
    static StartMonitor& instance();

    void setFailureHandler(std::function<void(const QString& reason)> handler);
    void pageLoaded();
    void rendererEnded(const QString& reason);

private:
    std::function<void(const QString&)> m_failureHandler;
    bool m_anyPageLoaded = false;
    bool m_reported = false;
};

}  // namespace webhost
