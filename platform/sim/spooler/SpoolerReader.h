#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

#include <memory>
#include <mutex>
#include <vector>

#include "JobFiles.h"
#include "SpoolerDocument.h"

namespace platform::sim {
class StateStore;
}

namespace platform::sim::spooler {

// The current spooler state for readers: the parsed state document and the spool folder's jobs,
// each parsed again only when its file or folder changed, so that asking for one queue after
// another costs a stat, not a parse, and a full description of N queues stays linear in N.
class SpoolerReader {
public:
    // `serviceProcess` answers the process id of the running Spooler service, 0 while it does
    // not run; the spooler answers nothing then, and reads its jobs from the spool folder anew
    // whenever the service has started again.
    SpoolerReader(
        StateStore& store, QString spoolFolder,
        std::function<std::uint32_t()> serviceProcess = [] { return 1u; });

    // True when the spooler serves calls: its state is readable and its service runs.
    bool isRunning(const std::shared_ptr<const SpoolerSnapshot>& snapshot);

    // Null when the state document cannot be read (the error is logged, naming the file).
    std::shared_ptr<const SpoolerSnapshot> snapshot();
    std::shared_ptr<const std::vector<SpoolJob>> jobs();

    StateStore& store() { return m_store; }
    QString spoolFolder() const { return m_spoolFolder; }
    QString stateDirectory() const;

private:
    StateStore& m_store;
    QString m_spoolFolder;
    std::function<std::uint32_t()> m_serviceProcess;
    std::atomic<std::uint32_t> m_lastProcess{0};
    JobIndex m_jobIndex;
    std::mutex m_mutex;
    QString m_stamp;
    std::shared_ptr<const SpoolerSnapshot> m_snapshot;
};

// The queue's level-2 record with cJobs counted from the jobs.
PrinterInfo2 withJobCount(const QueueEntry& queue, const std::vector<SpoolJob>& jobs);
std::vector<SpoolJob> jobsOfQueue(int queueId, const std::vector<SpoolJob>& jobs);

}  // namespace platform::sim::spooler
