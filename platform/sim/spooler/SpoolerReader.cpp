#include "SpoolerReader.h"

#include <QFile>

#include <sys/stat.h>

#include <ctime>

#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::spooler {

namespace {

// Updates replace the document by a rename, so the inode changes with every write; inodes may
// be reused and file times have the kernel's tick, so a document younger than this is read
// again whatever its stamp says.
constexpr qint64 kSettledNanoseconds = 50 * 1000 * 1000;

qint64 nanoseconds(const struct timespec& time) {
    return static_cast<qint64>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// Identity of the document file, or empty when it cannot be trusted to be unchanged.
QString documentStamp(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return {};
    }
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (nanoseconds(now) - nanoseconds(info.st_mtim) < kSettledNanoseconds) {
        return {};
    }
    return QStringLiteral("%1:%2:%3:%4")
        .arg(info.st_ino)
        .arg(info.st_size)
        .arg(nanoseconds(info.st_mtim))
        .arg(nanoseconds(info.st_ctim));
}

}  // namespace

SpoolerReader::SpoolerReader(StateStore& store, QString spoolFolder,
                             std::function<std::uint32_t()> serviceProcess)
    : m_store(store),
      m_spoolFolder(std::move(spoolFolder)),
      m_serviceProcess(std::move(serviceProcess)) {}

bool SpoolerReader::isRunning(const std::shared_ptr<const SpoolerSnapshot>& snapshot) {
    if (!snapshot || !snapshot->running) {
        return false;
    }
    const std::uint32_t process = m_serviceProcess();
    if (process != 0 && m_lastProcess.exchange(process) != process) {
        m_jobIndex.invalidate();  // a spooler that starts reads its jobs from the folder
    }
    return process != 0;
}

QString SpoolerReader::stateDirectory() const {
    return m_store.directory();
}

std::shared_ptr<const SpoolerSnapshot> SpoolerReader::snapshot() {
    const QString stamp = documentStamp(m_store.documentPath(kSpoolerFacility));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_snapshot && !stamp.isEmpty() && stamp == m_stamp) {
        return m_snapshot;
    }
    QJsonObject document;
    QString error;
    if (!m_store.read(kSpoolerFacility, document, error)) {
        qCWarning(lcSim).noquote() << error;
        return nullptr;
    }
    m_snapshot = parseSnapshot(document);
    m_stamp = stamp;
    return m_snapshot;
}

std::shared_ptr<const std::vector<SpoolJob>> SpoolerReader::jobs() {
    return m_jobIndex.jobs(m_spoolFolder);
}

PrinterInfo2 withJobCount(const QueueEntry& queue, const std::vector<SpoolJob>& jobs) {
    PrinterInfo2 info = queue.info;
    std::uint32_t count = 0;
    for (const SpoolJob& job : jobs) {
        count += job.queueId == queue.id ? 1 : 0;
    }
    info.cJobs = count;
    return info;
}

std::vector<SpoolJob> jobsOfQueue(int queueId, const std::vector<SpoolJob>& jobs) {
    std::vector<SpoolJob> result;
    for (const SpoolJob& job : jobs) {
        if (job.queueId == queueId) {
            result.push_back(job);
        }
    }
    return result;
}

}  // namespace platform::sim::spooler
