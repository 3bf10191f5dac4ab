#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Print jobs as the spooler keeps them: a pair of files per job in the spool folder, the data
// (<id>.SPL) and the shadow file (<id>.SHD) describing the job. Deleting the files (as cleaning
// the spool folder does) removes the job; the spooler reads the folder whenever it is asked.
// The shadow file of the simulated PC is a small JSON object, not the binary Windows layout.
namespace platform::sim::spooler {

struct SpoolJob {
    std::uint32_t id = 0;
    int queueId = 0;
    QString document;
    QString user;
    QString machine;
    QString submitted;  // UTC, "YYYY-MM-DDTHH:MM:SS"
    std::uint32_t pages = 1;
    std::uint32_t size = 0;
    std::uint32_t status = 0;
};

QJsonObject jobToJson(const SpoolJob& job);
SpoolJob jobFromJson(const QJsonObject& object);

// Writes the .SPL then the .SHD, so a reader never sees a shadow file without its data.
bool writeJobFiles(const QString& folder, const SpoolJob& job, QString& error);
// Removes the jobs of one queue (a deleted queue takes its jobs with it).
void removeJobFilesOfQueue(const QString& folder, int queueId);

// The jobs in the folder, read again only when the folder changed (by its modification time).
class JobIndex {
public:
    std::shared_ptr<const std::vector<SpoolJob>> jobs(const QString& folder);
    // The next jobs() reads the folder whatever its stamp.
    void invalidate();

private:
    std::mutex m_mutex;
    QString m_folder;
    qint64 m_stamp = -1;
    std::shared_ptr<const std::vector<SpoolJob>> m_jobs;
};

}  // namespace platform::sim::spooler
