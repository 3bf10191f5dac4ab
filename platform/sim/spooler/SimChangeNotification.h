#pragma once

#include <QHash>

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "SpoolerReader.h"

namespace platform::sim::spooler {

// A change notification of the simulated spooler. It keeps what it last reported (the watched
// queue's record and jobs, or for the print server the set of queues) and finds changes by
// comparing that with the current state, so a change made by any process is seen, and several
// changes between two calls of next() arrive together as Windows merges them.
class SimChangeNotification : public ChangeNotification {
public:
    // `queueId` 0 watches the print server (queue additions and removals).
    SimChangeNotification(std::shared_ptr<SpoolerReader> reader, int queueId, std::uint32_t filter,
                          std::optional<NotifyOptions> options);

    // True while a change that this notification reports is waiting for next().
    bool isSignalled();

    win32::Error next(std::uint32_t& change, const NotifyOptions* options,
                      std::unique_ptr<NotifyInfo>& info) override;

    // More entries than the spooler buffers for one notification: the info is discarded and the
    // caller asks for a refresh.
    static constexpr std::size_t kBufferedEntries = 64;

private:
    struct QueueState {
        bool exists = false;
        PrinterInfo2 info;
        bool useOnly = false;
        std::map<std::uint32_t, SpoolJob> jobs;
    };
    struct ServerState {
        std::map<int, PrinterInfo2> queues;
    };
    struct Observation {
        std::uint32_t change = 0;
        NotifyInfo info;
    };

    bool readCurrent(QueueState& queue, ServerState& server);
    Observation compare(const QueueState& queue, const ServerState& server) const;
    Observation compareQueue(const QueueState& now) const;
    Observation compareServer(const ServerState& now) const;
    Observation refreshed(const QueueState& queue, const ServerState& server) const;
    std::vector<std::uint16_t> requestedFields(std::uint16_t type) const;

    std::shared_ptr<SpoolerReader> m_reader;
    int m_queueId;
    std::uint32_t m_filter;
    std::optional<NotifyOptions> m_options;
    QueueState m_queue;
    ServerState m_server;
    std::uint32_t m_discardedChange = 0;
};

}  // namespace platform::sim::spooler
