#pragma once

#include <QString>

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
    // `serviceRunning` tells whether the Spooler service runs; the spooler answers nothing
    // while it does not.
    SpoolerReader(
        StateStore& store, QString spoolFolder,
        std::function<bool()> serviceRunning = [] { return true; });

    // True when the spooler serves calls: its state is readable and its service runs.
    bool isRunning(const std::shared_ptr<const SpoolerSnapshot>& snapshot) const;

    // Null when the state document cannot be read (the error is logged, naming the file).
    std::shared_ptr<const SpoolerSnapshot> snapshot();
    std::shared_ptr<const std::vector<SpoolJob>> jobs();

    StateStore& store() { return m_store; }
    QString spoolFolder() const { return m_spoolFolder; }
    QString stateDirectory() const;

private:
    StateStore& m_store;
    QString m_spoolFolder;
    std::function<bool()> m_serviceRunning;
    JobIndex m_jobIndex;
    std::mutex m_mutex;
    QString m_stamp;
    std::shared_ptr<const SpoolerSnapshot> m_snapshot;
};

// The queue's level-2 record with cJobs counted from the jobs.
PrinterInfo2 withJobCount(const QueueEntry& queue, const std::vector<SpoolJob>& jobs);
std::vector<SpoolJob> jobsOfQueue(int queueId, const std::vector<SpoolJob>& jobs);

}  // namespace platform::sim::spooler
