#include "sharing/ShareEnvRuns.h"

#include <thread>

#include "platform/HResult.h"
#include "platform/Wmi.h"

namespace sharing {

namespace {

// COM for the worker's thread, a single-threaded apartment, undone when the worker ends.
class ThreadApartment {
public:
    ThreadApartment() : m_initialized(!platform::failed(platform::wmi().initializeCom())) {}
    ~ThreadApartment() {
        if (m_initialized) {
            platform::wmi().uninitializeCom();
        }
    }
    ThreadApartment(const ThreadApartment&) = delete;
    ThreadApartment& operator=(const ThreadApartment&) = delete;

private:
    bool m_initialized;
};

void runQuery(const std::shared_ptr<ShareRun>& run, const ShareQueryReports& reports) {
    ThreadApartment apartment;
    const ShareEnvironment& environment = ShareEnvironment::instance();
    const bool windows8 = ShareEnvironment::isWindows8OrLater();
    for (int index = 0; index < kShareItemCount; ++index) {
        std::int32_t result = 0;
        if (!windows8 && ShareEnvironment::isSkippedBeforeWindows8(index)) {
            result = ShareEnvironment::valueBeforeWindows8(index);
        } else {
            if (run->isEnded()) {
                return;
            }
            result = environment.check(index);
        }
        run->results[index] = result;
        reports.progress(index + 1, result);
    }
    if (!run->isEnded()) {
        reports.finished();
    }
}

void runRepair(const std::shared_ptr<ShareRun>& run, const ShareRepairReports& reports) {
    ThreadApartment apartment;
    const ShareEnvironment& environment = ShareEnvironment::instance();
    const bool windows8 = ShareEnvironment::isWindows8OrLater();
    for (int index = 0; index < kShareItemCount; ++index) {
        if (run->isEnded()) {
            break;
        }
        reports.progress(index + 1);
        if (windows8 || !ShareEnvironment::isSkippedBeforeWindows8(index)) {
            environment.repair(index);
        }
    }
    if (!run->isEnded()) {
        reports.finished();
    }
}

}  // namespace

void startShareQuery(std::shared_ptr<ShareRun> run, ShareQueryReports reports) {
    std::thread(runQuery, std::move(run), std::move(reports)).detach();
}

void startShareRepair(std::shared_ptr<ShareRun> run, ShareRepairReports reports) {
    std::thread(runRepair, std::move(run), std::move(reports)).detach();
}

}  // namespace sharing
