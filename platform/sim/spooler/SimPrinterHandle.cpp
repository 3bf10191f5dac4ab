#include "SimPrinterHandle.h"

#include <QJsonObject>

#include "SimChangeNotification.h"
#include "SpoolerEditor.h"

namespace platform::sim::spooler {

namespace {

constexpr std::uint32_t kDeleteRight = 0x10000;  // DELETE

class SimPrinterHandle final : public PrinterHandle {
public:
    SimPrinterHandle(std::shared_ptr<SpoolerReader> reader, int queueId, std::uint32_t access)
        : m_reader(std::move(reader)), m_queueId(queueId), m_access(access) {}

    win32::Error getPrinter2(PrinterInfo2& info) override {
        const QueueEntry* queue = nullptr;
        const win32::Error error = find(queue);
        if (error == win32::kSuccess) {
            info = withJobCount(*queue, *m_reader->jobs());
        }
        return error;
    }

    win32::Error setPrinter2(const PrinterInfo2& info) override {
        const QueueEntry* queue = nullptr;
        win32::Error error = find(queue);
        if (error != win32::kSuccess) {
            return error;
        }
        if ((m_access & spool::kAccessAdminister) == 0 || isConnection(*queue)) {
            // A connection is the server's queue: only its server changes or shares it.
            return win32::kAccessDenied;
        }
        return editor().modifyQueue(
            m_queueId, [&](QJsonObject& record, const QJsonObject& document) {
                if ((info.attributes & spool::kAttributeShared) != 0) {
                    const win32::Error refused = checkShareName(
                        document, m_queueId, QString::fromStdWString(info.shareName));
                    if (refused != win32::kSuccess) {
                        return refused;
                    }
                }
                record.insert(key::kName, QString::fromStdWString(info.printerName));
                record.insert(key::kShareName, QString::fromStdWString(info.shareName));
                record.insert(key::kPort, QString::fromStdWString(info.portName));
                record.insert(key::kDriver, QString::fromStdWString(info.driverName));
                record.insert(key::kComment, QString::fromStdWString(info.comment));
                record.insert(key::kLocation, QString::fromStdWString(info.location));
                record.insert(key::kAttributes, double(info.attributes));
                record.insert(key::kPriority, double(info.priority));
                return win32::kSuccess;
            });
    }

    win32::Error deletePrinter() override {
        const QueueEntry* queue = nullptr;
        const win32::Error error = find(queue);
        if (error != win32::kSuccess) {
            return error;
        }
        // A connection goes only through DeletePrinterConnection.
        if ((m_access & kDeleteRight) == 0 || isConnection(*queue)) {
            return win32::kAccessDenied;
        }
        return editor().deleteQueueById(m_queueId);
    }

    win32::Error driverAttributes(std::uint32_t& attributes) override {
        const QueueEntry* queue = nullptr;
        const win32::Error error = find(queue);
        if (error != win32::kSuccess) {
            return error;
        }
        const auto found = m_snapshot->driverAttributes.find(queue->info.driverName);
        if (found == m_snapshot->driverAttributes.end()) {
            return spool::kErrorUnknownPrinterDriver;
        }
        attributes = found->second;
        return win32::kSuccess;
    }

    win32::Error enumJobs1(std::uint32_t firstJob, std::uint32_t count,
                           std::vector<JobInfo1>& jobs) override {
        jobs.clear();
        const QueueEntry* queue = nullptr;
        const win32::Error error = find(queue);
        if (error != win32::kSuccess) {
            return error;
        }
        const std::vector<SpoolJob> all = jobsOfQueue(m_queueId, *m_reader->jobs());
        for (std::uint32_t i = firstJob; i < all.size() && jobs.size() < count; ++i) {
            jobs.push_back(jobInfo(all[i], *queue, i + 1));
        }
        return win32::kSuccess;
    }

    win32::Error findFirstChange(std::uint32_t filter, const NotifyOptions* options,
                                 std::unique_ptr<ChangeNotification>& notification) override {
        notification.reset();
        const QueueEntry* queue = nullptr;
        if (m_queueId != 0) {
            const win32::Error error = find(queue);
            if (error != win32::kSuccess) {
                return error;
            }
        } else if (!isRunning()) {
            return win32::kRpcServerUnavailable;
        }
        notification = std::make_unique<SimChangeNotification>(
            m_reader, m_queueId, filter,
            options ? std::optional<NotifyOptions>(*options) : std::nullopt);
        return win32::kSuccess;
    }

private:
    bool isRunning() {
        m_snapshot = m_reader->snapshot();
        return m_reader->isRunning(m_snapshot);
    }

    static bool isConnection(const QueueEntry& queue) { return !queue.info.serverName.empty(); }

    win32::Error find(const QueueEntry*& queue) {
        if (!isRunning()) {
            return win32::kRpcServerUnavailable;
        }
        if (m_queueId == 0) {
            return win32::kInvalidHandle;  // the server handle has no queue record
        }
        queue = m_snapshot->findById(m_queueId);
        return queue ? win32::kSuccess : win32::kInvalidPrinterName;
    }

    SpoolerEditor editor() { return SpoolerEditor(m_reader->store(), m_reader->spoolFolder()); }

    static JobInfo1 jobInfo(const SpoolJob& job, const QueueEntry& queue, std::uint32_t position) {
        JobInfo1 info;
        info.jobId = job.id;
        info.printerName = queue.info.printerName;
        info.machineName = job.machine.toStdWString();
        info.userName = job.user.toStdWString();
        info.document = job.document.toStdWString();
        info.dataType = queue.info.dataType;
        info.status = job.status;
        info.priority = 1;
        info.position = position;
        info.totalPages = job.pages;
        info.submitted = job.submitted.toStdWString();
        return info;
    }

    std::shared_ptr<SpoolerReader> m_reader;
    std::shared_ptr<const SpoolerSnapshot> m_snapshot;
    int m_queueId;
    std::uint32_t m_access;
};

}  // namespace

std::unique_ptr<PrinterHandle> makeQueueHandle(std::shared_ptr<SpoolerReader> reader, int queueId,
                                               std::uint32_t access) {
    return std::make_unique<SimPrinterHandle>(std::move(reader), queueId, access);
}

std::unique_ptr<PrinterHandle> makeServerHandle(std::shared_ptr<SpoolerReader> reader,
                                                std::uint32_t access) {
    return std::make_unique<SimPrinterHandle>(std::move(reader), 0, access);
}

}  // namespace platform::sim::spooler
