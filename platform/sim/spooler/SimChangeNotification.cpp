#include "SimChangeNotification.h"

#include <algorithm>
#include <array>

namespace platform::sim::spooler {

namespace {

constexpr std::uint32_t kJobStatusDeleted = 0x100;

// One field's value: text fields carry text; numeric fields a word; `key` compares them (for
// the device mode and the security descriptor, whose data are not numbers).
struct FieldValue {
    bool isText = false;
    std::wstring text;
    std::uint32_t word = 0;
    std::wstring key;
};

FieldValue textValue(const std::wstring& text) {
    return {true, text, 0, text};
}
FieldValue wordValue(std::uint32_t word) {
    return {false, {}, word, std::to_wstring(word)};
}

std::wstring devModeKey(const std::optional<DevMode>& mode) {
    if (!mode) {
        return L"none";
    }
    return std::to_wstring(mode->fields) + L":" + std::to_wstring(mode->printQuality) + L":" +
           std::to_wstring(mode->yResolution) + L":" + std::to_wstring(mode->duplex) + L":" +
           std::to_wstring(mode->color);
}

// Every printer field the simulated spooler knows, for telling whether a queue changed.
constexpr std::array<std::uint16_t, 22> kPrinterFields = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 27};

std::optional<FieldValue> printerField(const PrinterInfo2& info, bool useOnly,
                                       std::uint16_t field) {
    switch (field) {
        case 0:
            return textValue(info.serverName);
        case 1:
            return textValue(info.printerName);
        case 2:
            return textValue(info.shareName);
        case 3:
            return textValue(info.portName);
        case 4:
            return textValue(info.driverName);
        case 5:
            return textValue(info.comment);
        case 6:
            return textValue(info.location);
        case 7:
            return FieldValue{false, {}, 0, devModeKey(info.devMode)};
        case 8:
            return textValue(info.sepFile);
        case 9:
            return textValue(info.printProcessor);
        case 10:
            return textValue(info.parameters);
        case 11:
            return textValue(info.dataType);
        case 12:
            return FieldValue{false, {}, 0, useOnly ? L"use" : L"full"};
        case 13:
            return wordValue(info.attributes);
        case 14:
            return wordValue(info.priority);
        case 15:
            return wordValue(info.defaultPriority);
        case 16:
            return wordValue(info.startTime);
        case 17:
            return wordValue(info.untilTime);
        case 18:
            return wordValue(info.status);
        case 20:
            return wordValue(info.cJobs);
        case 21:
            return wordValue(info.averagePpm);
        case 27:
            return textValue(info.printerName);
        default:
            return std::nullopt;
    }
}

std::optional<FieldValue> jobField(const SpoolJob& job, const std::wstring& printer,
                                   std::uint16_t field) {
    switch (field) {
        case 0:
            return textValue(printer);
        case 1:
            return textValue(job.machine.toStdWString());
        case 3:
            return textValue(job.user.toStdWString());
        case 10:
            return wordValue(job.status);
        case 11:
            return textValue({});
        case 13:
            return textValue(job.document.toStdWString());
        case 16:
            return textValue(job.submitted.toStdWString());
        case 20:
            return wordValue(job.pages);
        case 21:
            return wordValue(0);
        case 22:
            return wordValue(job.size);
        case 23:
            return wordValue(0);
        default:
            return std::nullopt;
    }
}

NotifyInfoData entry(std::uint16_t type, std::uint16_t field, std::uint32_t id,
                     const FieldValue& value) {
    NotifyInfoData data;
    data.type = type;
    data.field = field;
    data.id = id;
    data.hasText = value.isText;
    data.text = value.text;
    data.words[0] = value.word;
    return data;
}

bool differs(const std::optional<FieldValue>& a, const std::optional<FieldValue>& b) {
    return a.has_value() != b.has_value() || (a && a->key != b->key);
}

bool jobDiffers(const SpoolJob& a, const SpoolJob& b) {
    return a.status != b.status || a.pages != b.pages || a.size != b.size ||
           a.document != b.document;
}

}  // namespace

SimChangeNotification::SimChangeNotification(std::shared_ptr<SpoolerReader> reader, int queueId,
                                             std::uint32_t filter,
                                             std::optional<NotifyOptions> options)
    : m_reader(std::move(reader)),
      m_queueId(queueId),
      m_filter(filter),
      m_options(std::move(options)) {
    readCurrent(m_queue, m_server);
}

std::vector<std::uint16_t> SimChangeNotification::requestedFields(std::uint16_t type) const {
    std::vector<std::uint16_t> fields;
    if (m_options) {
        for (const NotifyOptionsType& entry : m_options->types) {
            if (entry.type == type) {
                fields.insert(fields.end(), entry.fields.begin(), entry.fields.end());
            }
        }
    }
    return fields;
}

bool SimChangeNotification::readCurrent(QueueState& queue, ServerState& server) {
    const std::shared_ptr<const SpoolerSnapshot> snapshot = m_reader->snapshot();
    if (!m_reader->isRunning(snapshot)) {
        return false;
    }
    const std::shared_ptr<const std::vector<SpoolJob>> jobs = m_reader->jobs();
    if (m_queueId == 0) {
        server.queues.clear();
        for (const QueueEntry& entry : snapshot->queues) {
            server.queues.emplace(entry.id, entry.info);
        }
        return true;
    }
    const QueueEntry* entry = snapshot->findById(m_queueId);
    queue = QueueState();
    if (entry != nullptr) {
        queue.exists = true;
        queue.info = withJobCount(*entry, *jobs);
        queue.useOnly = entry->useOnly;
        for (const SpoolJob& job : jobsOfQueue(m_queueId, *jobs)) {
            queue.jobs.emplace(job.id, job);
        }
    }
    return true;
}

SimChangeNotification::Observation SimChangeNotification::compare(const QueueState& queue,
                                                                  const ServerState& server) const {
    Observation observation = m_queueId == 0 ? compareServer(server) : compareQueue(queue);
    // FindNextPrinterChangeNotification reports only the kinds of change its filter names.
    observation.change &= m_filter;
    if (observation.change == 0) {
        observation.info.data.clear();
    }
    return observation;
}

SimChangeNotification::Observation SimChangeNotification::compareQueue(
    const QueueState& now) const {
    Observation observation;
    if (!m_queue.exists) {
        return observation;  // its deletion was reported already
    }
    if (!now.exists) {
        observation.change = spool::kChangeDeletePrinter;
        return observation;
    }
    for (std::uint16_t field : kPrinterFields) {
        if (differs(printerField(m_queue.info, m_queue.useOnly, field),
                    printerField(now.info, now.useOnly, field))) {
            observation.change |= spool::kChangeSetPrinter;
            break;
        }
    }
    for (std::uint16_t field : requestedFields(spool::kNotifyTypePrinter)) {
        const auto value = printerField(now.info, now.useOnly, field);
        if (value && differs(printerField(m_queue.info, m_queue.useOnly, field), value)) {
            observation.info.data.push_back(entry(spool::kNotifyTypePrinter, field, 0, *value));
        }
    }
    const std::vector<std::uint16_t> jobFields = requestedFields(spool::kNotifyTypeJob);
    for (const auto& [id, job] : now.jobs) {
        const auto before = m_queue.jobs.find(id);
        const bool added = before == m_queue.jobs.end();
        if (!added && !jobDiffers(before->second, job)) {
            continue;
        }
        observation.change |= added ? spool::kChangeAddJob : spool::kChangeSetJob;
        for (std::uint16_t field : jobFields) {
            const auto value = jobField(job, now.info.printerName, field);
            if (value &&
                (added || differs(jobField(before->second, now.info.printerName, field), value))) {
                observation.info.data.push_back(entry(spool::kNotifyTypeJob, field, id, *value));
            }
        }
    }
    for (const auto& [id, job] : m_queue.jobs) {
        if (now.jobs.count(id) == 0) {
            observation.change |= spool::kChangeDeleteJob;
            if (std::count(jobFields.begin(), jobFields.end(), spool::kJobFieldStatus) > 0) {
                observation.info.data.push_back(entry(spool::kNotifyTypeJob, spool::kJobFieldStatus,
                                                      id, wordValue(kJobStatusDeleted)));
            }
        }
    }
    return observation;
}

SimChangeNotification::Observation SimChangeNotification::compareServer(
    const ServerState& now) const {
    Observation observation;
    const std::vector<std::uint16_t> fields = requestedFields(spool::kNotifyTypePrinter);
    for (const auto& [id, info] : now.queues) {
        const auto before = m_server.queues.find(id);
        if (before == m_server.queues.end()) {
            observation.change |= spool::kChangeAddPrinter;
            for (std::uint16_t field : fields) {
                if (const auto value = printerField(info, false, field)) {
                    observation.info.data.push_back(entry(spool::kNotifyTypePrinter, field,
                                                          static_cast<std::uint32_t>(id), *value));
                }
            }
        } else if (devModeKey(before->second.devMode) != devModeKey(info.devMode) ||
                   before->second.printerName != info.printerName ||
                   before->second.status != info.status ||
                   before->second.attributes != info.attributes) {
            observation.change |= spool::kChangeSetPrinter;
        }
    }
    for (const auto& entryBefore : m_server.queues) {
        if (now.queues.count(entryBefore.first) == 0) {
            observation.change |= spool::kChangeDeletePrinter;
        }
    }
    return observation;
}

SimChangeNotification::Observation SimChangeNotification::refreshed(
    const QueueState& queue, const ServerState& server) const {
    Observation observation;
    const std::vector<std::uint16_t> printerFields = requestedFields(spool::kNotifyTypePrinter);
    auto addPrinter = [&](const PrinterInfo2& info, bool useOnly, std::uint32_t id) {
        for (std::uint16_t field : printerFields) {
            if (const auto value = printerField(info, useOnly, field)) {
                observation.info.data.push_back(
                    entry(spool::kNotifyTypePrinter, field, id, *value));
            }
        }
    };
    if (m_queueId == 0) {
        for (const auto& [id, info] : server.queues) {
            addPrinter(info, false, static_cast<std::uint32_t>(id));
        }
        return observation;
    }
    if (!queue.exists) {
        return observation;
    }
    addPrinter(queue.info, queue.useOnly, 0);
    for (const auto& [id, job] : queue.jobs) {
        for (std::uint16_t field : requestedFields(spool::kNotifyTypeJob)) {
            if (const auto value = jobField(job, queue.info.printerName, field)) {
                observation.info.data.push_back(entry(spool::kNotifyTypeJob, field, id, *value));
            }
        }
    }
    return observation;
}

bool SimChangeNotification::isSignalled() {
    QueueState queue;
    ServerState server;
    return readCurrent(queue, server) && compare(queue, server).change != 0;
}

win32::Error SimChangeNotification::next(std::uint32_t& change, const NotifyOptions* options,
                                         std::unique_ptr<NotifyInfo>& info) {
    change = 0;
    info.reset();
    QueueState queue;
    ServerState server;
    if (!readCurrent(queue, server)) {
        return win32::kRpcServerUnavailable;
    }
    const bool refresh = options != nullptr && (options->flags & spool::kNotifyOptionsRefresh);
    Observation observation;
    if (refresh) {
        observation = refreshed(queue, server);
        observation.change = m_discardedChange;
        m_discardedChange = 0;
    } else {
        observation = compare(queue, server);
    }
    m_queue = queue;
    m_server = server;
    change = observation.change;
    if (!m_options) {
        return win32::kSuccess;
    }
    info = std::make_unique<NotifyInfo>(std::move(observation.info));
    if (!refresh && info->data.size() > kBufferedEntries) {
        info->flags |= spool::kNotifyInfoDiscarded;
        info->data.clear();
        m_discardedChange = change;
    }
    return win32::kSuccess;
}

}  // namespace platform::sim::spooler
