#include "JobFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "SpoolerDocument.h"

namespace platform::sim::spooler {

namespace {

constexpr const char* kShadowSuffix = ".SHD";
constexpr const char* kDataSuffix = ".SPL";
constexpr int kJobFileDigits = 5;  // the spooler names job files 00012.SPL / 00012.SHD

QString jobBaseName(std::uint32_t id) {
    return QStringLiteral("%1").arg(id, kJobFileDigits, 10, QLatin1Char('0'));
}

bool saveFile(const QString& path, const QByteArray& content, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// The job's data: `size` bytes that nothing reads, so the file is sized (sparse) rather than
// written. A size from a profile may be up to 4 GiB; it is never held in memory.
bool saveDataFile(const QString& path, std::uint32_t size, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(size)) || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Nanosecond modification time of the folder; a file added or removed changes it.
qint64 folderStamp(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        return -1;
    }
    return static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// File times are kept at the kernel's clock tick, so two changes within one tick can leave the
// folder's time unchanged: a listing is only reused when the folder is older than this.
constexpr qint64 kSettledNanoseconds = 50 * 1000 * 1000;

bool isSettled(qint64 stamp) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return stamp >= 0 && nowNs - stamp > kSettledNanoseconds;
}

std::vector<SpoolJob> readJobs(const QString& folder) {
    std::vector<SpoolJob> jobs;
    const QDir dir(folder);
    const QStringList shadows =
        dir.entryList({QStringLiteral("*") + QLatin1String(kShadowSuffix)}, QDir::Files);
    for (const QString& name : shadows) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QJsonDocument parsed = QJsonDocument::fromJson(file.readAll());
        if (parsed.isObject()) {
            jobs.push_back(jobFromJson(parsed.object()));
        }
    }
    std::sort(jobs.begin(), jobs.end(),
              [](const SpoolJob& a, const SpoolJob& b) { return a.id < b.id; });
    return jobs;
}

}  // namespace

QJsonObject jobToJson(const SpoolJob& job) {
    return {
        {QStringLiteral("id"), double(job.id)},        {QStringLiteral("queueId"), job.queueId},
        {QStringLiteral("document"), job.document},    {QStringLiteral("user"), job.user},
        {QStringLiteral("machine"), job.machine},      {QStringLiteral("submitted"), job.submitted},
        {QStringLiteral("pages"), double(job.pages)},  {QStringLiteral("size"), double(job.size)},
        {QStringLiteral("status"), double(job.status)}};
}

SpoolJob jobFromJson(const QJsonObject& object) {
    SpoolJob job;
    job.id = toWord(object.value(QStringLiteral("id")));
    job.queueId = object.value(QStringLiteral("queueId")).toInt();
    job.document = object.value(QStringLiteral("document")).toString();
    job.user = object.value(QStringLiteral("user")).toString();
    job.machine = object.value(QStringLiteral("machine")).toString();
    job.submitted = object.value(QStringLiteral("submitted")).toString();
    job.pages = toWord(object.value(QStringLiteral("pages")), 1);
    job.size = toWord(object.value(QStringLiteral("size")));
    job.status = toWord(object.value(QStringLiteral("status")));
    return job;
}

bool writeJobFiles(const QString& folder, const SpoolJob& job, QString& error) {
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the spool folder %1").arg(folder);
        return false;
    }
    const QString base = QDir(folder).filePath(jobBaseName(job.id));
    return saveDataFile(base + QLatin1String(kDataSuffix), job.size, error) &&
           saveFile(base + QLatin1String(kShadowSuffix),
                    QJsonDocument(jobToJson(job)).toJson(QJsonDocument::Compact), error);
}

void removeJobFilesOfQueue(const QString& folder, int queueId) {
    const QDir dir(folder);
    for (const SpoolJob& job : readJobs(folder)) {
        if (job.queueId == queueId) {
            const QString base = dir.filePath(jobBaseName(job.id));
            QFile::remove(base + QLatin1String(kShadowSuffix));
            QFile::remove(base + QLatin1String(kDataSuffix));
        }
    }
}

void JobIndex::invalidate() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.reset();
}

std::shared_ptr<const std::vector<SpoolJob>> JobIndex::jobs(const QString& folder) {
    const qint64 stamp = folderStamp(folder);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_jobs || folder != m_folder || stamp != m_stamp || !isSettled(stamp)) {
        m_jobs = std::make_shared<const std::vector<SpoolJob>>(readJobs(folder));
        m_folder = folder;
        m_stamp = stamp;
    }
    return m_jobs;
}

}  // namespace platform::sim::spooler
