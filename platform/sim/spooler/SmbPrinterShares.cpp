#include "SmbPrinterShares.h"

#include <libsmbclient.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/sim/SimLogging.h"

namespace platform::sim::spooler {

namespace {

constexpr int kTimeoutMs = 5000;

// libsmbclient keeps per-thread talloc frames and process-wide configuration; listings run one
// at a time, from whichever thread asks.
std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

struct ContextDeleter {
    void operator()(SMBCCTX* context) const { smbc_free_context(context, 1); }
};
using Context = std::unique_ptr<SMBCCTX, ContextDeleter>;

// Anonymous listing: no user, no password; guest access on the host does the rest.
void anonymousCredentials(SMBCCTX*, const char*, const char*, char* workgroup, int workgroupSize,
                          char* user, int userSize, char* password, int passwordSize) {
    if (workgroupSize > 0) {
        workgroup[0] = '\0';
    }
    if (userSize > 0) {
        user[0] = '\0';
    }
    if (passwordSize > 0) {
        password[0] = '\0';
    }
}

Context openContext() {
    Context context(smbc_new_context());
    if (!context) {
        return nullptr;
    }
    smbc_setTimeout(context.get(), kTimeoutMs);
    smbc_setFunctionAuthDataWithContext(context.get(), anonymousCredentials);
    if (smbc_init_context(context.get()) == nullptr) {
        return nullptr;  // a context that failed to initialise is freed by the deleter
    }
    return context;
}

// An open share listing, closed with its context's closedir.
class ShareListing {
public:
    ShareListing(SMBCCTX* context, const QByteArray& url) : m_context(context) {
        m_directory = smbc_getFunctionOpendir(context)(context, url.constData());
        m_errno = m_directory == nullptr ? errno : 0;
    }
    ~ShareListing() {
        if (m_directory != nullptr) {
            smbc_getFunctionClosedir(m_context)(m_context, m_directory);
        }
    }
    ShareListing(const ShareListing&) = delete;
    ShareListing& operator=(const ShareListing&) = delete;

    bool isOpen() const { return m_directory != nullptr; }
    int openErrno() const { return m_errno; }
    smbc_dirent* next() { return smbc_getFunctionReaddir(m_context)(m_context, m_directory); }

private:
    SMBCCTX* m_context;
    SMBCFILE* m_directory = nullptr;
    int m_errno = 0;
};

win32::Error errorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return win32::kAccessDenied;
        case ENOENT:
        case ENODEV:
        case EINVAL:
            return win32::kInvalidPrinterName;
        default:
            return win32::kRpcServerUnavailable;
    }
}

}  // namespace

win32::Error checkPrinterShare(const QString& host, const QString& share, QString& comment) {
    if (host.isEmpty() || share.isEmpty()) {
        return win32::kInvalidPrinterName;
    }
    std::lock_guard<std::mutex> lock(libraryMutex());
    Context context = openContext();
    if (!context) {
        qCWarning(lcSim) << "libsmbclient could not be initialised:" << std::strerror(errno);
        return win32::kRpcServerUnavailable;
    }
    ShareListing listing(context.get(), QByteArrayLiteral("smb://") + host.toUtf8() + '/');
    if (!listing.isOpen()) {
        qCDebug(lcSim) << "listing the shares of" << host
                       << "failed:" << std::strerror(listing.openErrno());
        return errorFromErrno(listing.openErrno());
    }
    while (smbc_dirent* entry = listing.next()) {
        const QString name = QString::fromUtf8(entry->name);
        if (name.compare(share, Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (entry->smbc_type != SMBC_PRINTER_SHARE) {
            return win32::kInvalidPrinterName;
        }
        comment = QString::fromUtf8(entry->comment);
        return win32::kSuccess;
    }
    return win32::kInvalidPrinterName;
}

}  // namespace platform::sim::spooler
