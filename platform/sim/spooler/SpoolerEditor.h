#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "platform/Win32Error.h"

namespace platform::sim {
class StateStore;
}

namespace platform::sim {
class SimulatedPc;
}

namespace platform::sim::spooler {

// Changes to the simulated spooler's state, each one atomic update of the "spooler" document
// (and, for jobs, of the spool folder under the same lock). Used by the spooler facility, the
// simulated printui/control programs and corvanta-sim, so a change from any of them looks the
// same to a change notification. Errors are Win32 codes; `detail` says more for people.
// A queue name Windows accepts for a queue of this PC: not empty, no backslash or comma, at
// most 220 characters.
bool isValidQueueName(const QString& name);

// Whether `shareName` may share the queue `queueId` of `document`: at most 80 characters, none
// of " \ / [ ] : | < > + = ; , * ? or a control character, and not the share name of another
// shared queue (letter case aside). ERROR_INVALID_SHARENAME (1215) otherwise, as SetPrinter
// answers.
win32::Error checkShareName(const QJsonObject& document, int queueId, const QString& shareName);

class SpoolerEditor {
public:
    SpoolerEditor(StateStore& store, QString spoolFolder);

    // `queue` in the document's form ("name" required); attributes default to queued|local.
    win32::Error addQueue(QJsonObject queue);
    win32::Error removeQueue(const QString& name);
    win32::Error renameQueue(const QString& name, const QString& newName);
    win32::Error setStatus(const QString& name, std::uint32_t status);
    win32::Error changeStatus(const QString& name, std::uint32_t set, std::uint32_t clear);
    // Shares the queue under `shareName` (the queue's name when empty), or stops sharing it.
    win32::Error share(const QString& name, const QString& shareName);
    win32::Error unshare(const QString& name);
    // Changes a queue found by id; `change` answers a Win32 error (0 to write).
    win32::Error modifyQueue(
        int id,
        const std::function<win32::Error(QJsonObject&, const QJsonObject& document)>& change);
    win32::Error deleteQueueById(int id);

    struct JobRequest {
        QString document = QStringLiteral("Document");
        QString user;
        QString machine;
        std::uint32_t pages = 1;
        std::uint32_t size = 1024;
    };
    // The new job's id in `jobId`.
    win32::Error addJob(const QString& queueName, const JobRequest& request,
                        std::uint32_t* jobId = nullptr);

    win32::Error setDefaultPrinter(const QString& name);
    // A connection to `\\server\queue` (server given with its backslashes).
    win32::Error addConnection(const QString& server, const QString& queue, const QString& comment);
    win32::Error removeConnection(const QString& name);
    win32::Error setRunning(bool running);

    // Appends {"program", "arguments"} to the document's "uiRequests" (the latest 100 kept).
    win32::Error recordUiRequest(const QString& program, const QStringList& arguments);

    // Writes the jobs a profile describes ("jobsToSpool") into the spool folder, once.
    win32::Error spoolProfileJobs();

    QString detail() const { return m_detail; }

private:
    using Mutation = std::function<win32::Error(QJsonObject& document)>;
    win32::Error update(const Mutation& mutation);
    win32::Error queueIdByName(const QString& name, int& id);
    win32::Error modifyByName(const QString& name,
                              const std::function<win32::Error(QJsonObject&)>& change);

    StateStore& m_store;
    QString m_spoolFolder;
    QString m_detail;
};

// An editor of the PC's spooler state, on its spool folder, with the profile's jobs spooled.
SpoolerEditor editorFor(SimulatedPc& pc);

}  // namespace platform::sim::spooler
