#include "SpoolerEditor.h"

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/spooler/SimSpooler.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>

#include "JobFiles.h"
#include "SpoolerDocument.h"
#include "platform/Spooler.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::spooler {

namespace {

constexpr std::uint32_t kNewQueueAttributes = spool::kAttributeQueued | spool::kAttributeLocal;
// A connection reads as its server's queue, which is shared, plus NETWORK.
constexpr std::uint32_t kConnectionAttributes = spool::kAttributeNetwork | spool::kAttributeShared;
constexpr int kLongestShareName = 80;
constexpr win32::Error kErrorInvalidShareName = 1215;  // ERROR_INVALID_SHARENAME
constexpr const char* kConnectionDriver = "Microsoft PS Class Driver";
constexpr const char* kConnectionPort = "";

QJsonArray queuesOf(const QJsonObject& document) {
    return document.value(key::kQueues).toArray();
}

int nextQueueId(QJsonObject& document) {
    int largest = 0;
    for (const QJsonValue& queue : queuesOf(document)) {
        largest = std::max(largest, queue.toObject().value(key::kId).toInt());
    }
    const int counter = document.value(key::kNextQueueId).toInt(1);
    const int id = std::max(counter, largest + 1);
    document.insert(key::kNextQueueId, id + 1);
    return id;
}

std::uint32_t attributesOf(const QJsonObject& queue) {
    return toWord(queue.value(key::kAttributes));
}

QString nameOf(const QJsonObject& queue) {
    return queue.value(key::kName).toString();
}

QString nowUtc() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).remove(QLatin1Char('Z'));
}

// SetDefaultPrinter with no name keeps a default that exists and otherwise picks one of the
// installed printers; with none installed there is nothing to choose (1801).
win32::Error chooseDefaultPrinter(QJsonObject& document) {
    const QJsonArray queues = queuesOf(document);
    if (findQueueIndex(queues, document.value(key::kDefaultPrinter).toString()) >= 0) {
        return win32::kSuccess;
    }
    if (queues.isEmpty()) {
        return win32::kInvalidPrinterName;
    }
    document.insert(key::kDefaultPrinter, nameOf(queues.first().toObject()));
    return win32::kSuccess;
}

}  // namespace

bool isValidQueueName(const QString& name) {
    constexpr int kLongestName = 220;
    return !name.isEmpty() && name.size() <= kLongestName && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QLatin1Char(','));
}

win32::Error checkShareName(const QJsonObject& document, int queueId, const QString& shareName) {
    // The rules of an SMB share name (at most 80 characters, these characters refused).
    static const QString kRefused = QStringLiteral("\"\\/[]:|<>+=;,*?");
    const bool wellFormed = !shareName.isEmpty() && shareName.size() <= kLongestShareName &&
                            std::none_of(shareName.begin(), shareName.end(), [](QChar c) {
                                return c.unicode() < 0x20 || kRefused.contains(c);
                            });
    if (!wellFormed) {
        return kErrorInvalidShareName;
    }
    for (const QJsonValue& value : queuesOf(document)) {
        const QJsonObject other = value.toObject();
        if (other.value(key::kId).toInt() != queueId &&
            (attributesOf(other) & spool::kAttributeShared) != 0 &&
            other.value(key::kShareName).toString().compare(shareName, Qt::CaseInsensitive) == 0) {
            return kErrorInvalidShareName;
        }
    }
    return win32::kSuccess;
}

SpoolerEditor::SpoolerEditor(StateStore& store, QString spoolFolder)
    : m_store(store), m_spoolFolder(std::move(spoolFolder)) {}

win32::Error SpoolerEditor::update(const Mutation& mutation) {
    win32::Error result = win32::kSuccess;
    QString error;
    const bool stored = m_store.update(
        kSpoolerFacility,
        [&](QJsonObject& document) {
            result = mutation(document);
            return result == win32::kSuccess;
        },
        error);
    if (!stored) {
        m_detail = error;
        qCWarning(lcSim).noquote() << error;
        return kStateUnwritable;
    }
    return result;
}

win32::Error SpoolerEditor::modifyByName(const QString& name,
                                         const std::function<win32::Error(QJsonObject&)>& change) {
    return update([&](QJsonObject& document) {
        QJsonArray queues = queuesOf(document);
        const int index = findQueueIndex(queues, name);
        if (index < 0) {
            m_detail = QStringLiteral("no queue named %1").arg(name);
            return win32::kInvalidPrinterName;
        }
        QJsonObject queue = queues[index].toObject();
        const win32::Error error = change(queue);
        if (error != win32::kSuccess) {
            return error;
        }
        queues[index] = queue;
        document.insert(key::kQueues, queues);
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::modifyQueue(
    int id, const std::function<win32::Error(QJsonObject&, const QJsonObject&)>& change) {
    return update([&](QJsonObject& document) {
        QJsonArray queues = queuesOf(document);
        const int index = findQueueIndexById(queues, id);
        if (index < 0) {
            return win32::kInvalidPrinterName;
        }
        QJsonObject queue = queues[index].toObject();
        const QString oldName = nameOf(queue);
        const win32::Error error = change(queue, document);
        if (error != win32::kSuccess) {
            return error;
        }
        const QString newName = nameOf(queue);
        if (newName.compare(oldName, Qt::CaseInsensitive) != 0) {
            if (!isValidQueueName(newName)) {
                return win32::kInvalidPrinterName;
            }
            if (findQueueIndex(queues, newName) >= 0) {
                return spool::kErrorPrinterAlreadyExists;
            }
        }
        if (document.value(key::kDefaultPrinter).toString() == oldName) {
            document.insert(key::kDefaultPrinter, newName);
        }
        queues[index] = queue;
        document.insert(key::kQueues, queues);
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::addQueue(QJsonObject queue) {
    const QString name = nameOf(queue);
    if (!isValidQueueName(name)) {
        m_detail = QStringLiteral("invalid queue name \"%1\"").arg(name);
        return win32::kInvalidPrinterName;
    }
    if (!queue.contains(key::kAttributes)) {
        queue.insert(key::kAttributes, double(kNewQueueAttributes));
    }
    return update([&](QJsonObject& document) {
        QJsonArray queues = queuesOf(document);
        if (findQueueIndex(queues, name) >= 0) {
            m_detail = QStringLiteral("a queue named %1 exists already").arg(name);
            return spool::kErrorPrinterAlreadyExists;
        }
        queue.insert(key::kId, nextQueueId(document));
        queues.append(queue);
        document.insert(key::kQueues, queues);
        return win32::kSuccess;
    });
}

// The queue's jobs go once the queue is gone from the saved state, so a failed save deletes
// nothing.
win32::Error SpoolerEditor::deleteQueueById(int id) {
    const win32::Error result = update([&](QJsonObject& document) {
        QJsonArray queues = queuesOf(document);
        const int index = findQueueIndexById(queues, id);
        if (index < 0) {
            return win32::kInvalidPrinterName;
        }
        const QString name = nameOf(queues[index].toObject());
        queues.removeAt(index);
        document.insert(key::kQueues, queues);
        if (document.value(key::kDefaultPrinter).toString() == name) {
            document.remove(key::kDefaultPrinter);
        }
        return win32::kSuccess;
    });
    if (result == win32::kSuccess) {
        removeJobFilesOfQueue(m_spoolFolder, id);
    }
    return result;
}

// The id of the queue with that name, read from the current state.
win32::Error SpoolerEditor::queueIdByName(const QString& name, int& id) {
    QJsonObject document;
    QString error;
    if (!m_store.read(kSpoolerFacility, document, error)) {
        m_detail = error;
        return kStateUnreadable;
    }
    const QJsonArray queues = queuesOf(document);
    const int index = findQueueIndex(queues, name);
    if (index < 0) {
        m_detail = QStringLiteral("no queue named %1").arg(name);
        return win32::kInvalidPrinterName;
    }
    id = queues[index].toObject().value(key::kId).toInt();
    return win32::kSuccess;
}

win32::Error SpoolerEditor::removeQueue(const QString& name) {
    int id = 0;
    if (const win32::Error error = queueIdByName(name, id); error != win32::kSuccess) {
        return error;
    }
    return deleteQueueById(id);
}

win32::Error SpoolerEditor::renameQueue(const QString& name, const QString& newName) {
    int id = 0;
    if (const win32::Error error = queueIdByName(name, id); error != win32::kSuccess) {
        return error;
    }
    return modifyQueue(id, [&](QJsonObject& queue, const QJsonObject&) {
        queue.insert(key::kName, newName);
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::setStatus(const QString& name, std::uint32_t status) {
    return modifyByName(name, [&](QJsonObject& queue) {
        queue.insert(key::kStatus, double(status));
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::changeStatus(const QString& name, std::uint32_t set,
                                         std::uint32_t clear) {
    return modifyByName(name, [&](QJsonObject& queue) {
        const std::uint32_t status = toWord(queue.value(key::kStatus));
        queue.insert(key::kStatus, double((status & ~clear) | set));
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::share(const QString& name, const QString& shareName) {
    int id = 0;
    if (const win32::Error error = queueIdByName(name, id); error != win32::kSuccess) {
        return error;
    }
    return modifyQueue(id, [&](QJsonObject& queue, const QJsonObject& document) {
        const QString shared = shareName.isEmpty() ? nameOf(queue) : shareName;
        if (const win32::Error error = checkShareName(document, id, shared);
            error != win32::kSuccess) {
            return error;
        }
        queue.insert(key::kShareName, shared);
        queue.insert(key::kAttributes, double(attributesOf(queue) | spool::kAttributeShared));
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::unshare(const QString& name) {
    return modifyByName(name, [&](QJsonObject& queue) {
        queue.insert(key::kAttributes, double(attributesOf(queue) & ~spool::kAttributeShared));
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::addJob(const QString& queueName, const JobRequest& request,
                                   std::uint32_t* jobId) {
    return update([&](QJsonObject& document) {
        const QJsonArray queues = queuesOf(document);
        const int index = findQueueIndex(queues, queueName);
        if (index < 0) {
            m_detail = QStringLiteral("no queue named %1").arg(queueName);
            return win32::kInvalidPrinterName;
        }
        SpoolJob job;
        job.id = static_cast<std::uint32_t>(allocateCounter(document, key::kNextJobId));
        job.queueId = queues[index].toObject().value(key::kId).toInt();
        job.document = request.document;
        job.user = request.user;
        job.machine = request.machine;
        job.submitted = nowUtc();
        job.pages = request.pages;
        job.size = request.size;
        // The files are written under the document's lock, before the document changes, so a
        // notification woken by the change finds the job.
        if (!writeJobFiles(m_spoolFolder, job, m_detail)) {
            return win32::kAccessDenied;
        }
        if (jobId != nullptr) {
            *jobId = job.id;
        }
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::setDefaultPrinter(const QString& name) {
    return update([&](QJsonObject& document) {
        if (name.isEmpty()) {
            return chooseDefaultPrinter(document);
        }
        const int index = findQueueIndex(queuesOf(document), name);
        if (index < 0) {
            return win32::kInvalidPrinterName;
        }
        document.insert(key::kDefaultPrinter, nameOf(queuesOf(document)[index].toObject()));
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::addConnection(const QString& server, const QString& queue,
                                          const QString& comment) {
    const QString name = server + QLatin1Char('\\') + queue;
    return update([&](QJsonObject& document) {
        QJsonArray queues = queuesOf(document);
        if (findQueueIndex(queues, name) >= 0) {
            return win32::kSuccess;  // connecting again to a connected queue changes nothing
        }
        QJsonObject connection{{key::kName, name},
                               {key::kServer, server},
                               {key::kShareName, queue},
                               {key::kPort, QLatin1String(kConnectionPort)},
                               {key::kDriver, QLatin1String(kConnectionDriver)},
                               {key::kComment, comment},
                               {key::kAttributes, double(kConnectionAttributes)}};
        connection.insert(key::kId, nextQueueId(document));
        queues.append(connection);
        document.insert(key::kQueues, queues);
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::removeConnection(const QString& name) {
    return update([&](QJsonObject& document) {
        QJsonArray queues = queuesOf(document);
        const int index = findQueueIndex(queues, name);
        if (index < 0 || queues[index].toObject().value(key::kServer).toString().isEmpty()) {
            return win32::kInvalidPrinterName;
        }
        queues.removeAt(index);
        document.insert(key::kQueues, queues);
        if (document.value(key::kDefaultPrinter).toString().compare(name, Qt::CaseInsensitive) ==
            0) {
            document.remove(key::kDefaultPrinter);
        }
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::setRunning(bool running) {
    return update([&](QJsonObject& document) {
        document.insert(key::kRunning, running);
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::recordUiRequest(const QString& program, const QStringList& arguments) {
    return update([&](QJsonObject& document) {
        StateStore::appendToRequestLog(
            document, key::kUiRequests,
            QJsonObject{{QStringLiteral("program"), program},
                        {QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)}});
        return win32::kSuccess;
    });
}

win32::Error SpoolerEditor::spoolProfileJobs() {
    QJsonObject current;
    QString error;
    if (!m_store.read(kSpoolerFacility, current, error) || !current.contains(key::kJobsToSpool)) {
        return win32::kSuccess;
    }
    return update([&](QJsonObject& document) {
        const QJsonArray pending = document.value(key::kJobsToSpool).toArray();
        for (const QJsonValue& value : pending) {
            SpoolJob job = jobFromJson(value.toObject());
            job.id = static_cast<std::uint32_t>(allocateCounter(document, key::kNextJobId));
            if (job.submitted.isEmpty()) {
                job.submitted = nowUtc();
            }
            if (!writeJobFiles(m_spoolFolder, job, m_detail)) {
                return win32::kAccessDenied;
            }
        }
        document.remove(key::kJobsToSpool);
        return win32::kSuccess;
    });
}

SpoolerEditor editorFor(SimulatedPc& pc) {
    SpoolerEditor editor(pc.machine().store(),
                         spoolFolder(pc.get<Registry>(), pc.get<platform::FileSystem>()));
    editor.spoolProfileJobs();
    return editor;
}

}  // namespace platform::sim::spooler
