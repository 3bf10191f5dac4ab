#include "platform/posix/SmbPrinterShares.h"

#include <dlfcn.h>
#include <libsmbclient.h>

#include <QLoggingCategory>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

namespace platform::posix {

namespace {

Q_LOGGING_CATEGORY(lcSmb, "corvanta.smb")

constexpr int kTimeoutMs = 5000;

// libsmbclient brings several dozen Samba libraries whose loading costs every process about
// 25 ms at start (measured: an empty program linked with it starts in 26 ms instead of 1 ms).
// Only a printer connection needs it, so it is loaded on the first connection check.
struct SmbClient {
    decltype(&smbc_new_context) newContext = nullptr;
    decltype(&smbc_free_context) freeContext = nullptr;
    decltype(&smbc_setTimeout) setTimeout = nullptr;
    decltype(&smbc_setFunctionAuthDataWithContext) setAuthData = nullptr;
    decltype(&smbc_init_context) initContext = nullptr;
    decltype(&smbc_getFunctionOpendir) opendir = nullptr;
    decltype(&smbc_getFunctionClosedir) closedir = nullptr;
    decltype(&smbc_getFunctionReaddir) readdir = nullptr;

    bool isLoaded() const {
        return newContext && freeContext && setTimeout && setAuthData && initContext && opendir &&
               closedir && readdir;
    }
};

constexpr const char* kSmbClientLibrary = "libsmbclient.so.0";

template <typename Function>
void resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

// dlopen rather than QLibrary: a connection check may run on a detached thread while the
// process exits, and QLibrary's registry of loaded libraries is one of the statics destroyed
// then (seen: SIGSEGV in QLibrary::load when the program quit during a connection). The
// library stays loaded for the life of the process.
SmbClient loadSmbClient() {
    SmbClient client;
    void* library = dlopen(kSmbClientLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        qCWarning(lcSmb) << "libsmbclient is not available:" << dlerror();
        return client;
    }
    resolve(library, "smbc_new_context", client.newContext);
    resolve(library, "smbc_free_context", client.freeContext);
    resolve(library, "smbc_setTimeout", client.setTimeout);
    resolve(library, "smbc_setFunctionAuthDataWithContext", client.setAuthData);
    resolve(library, "smbc_init_context", client.initContext);
    resolve(library, "smbc_getFunctionOpendir", client.opendir);
    resolve(library, "smbc_getFunctionClosedir", client.closedir);
    resolve(library, "smbc_getFunctionReaddir", client.readdir);
    return client;
}

// Loaded once, on first use, from whichever thread comes first.
const SmbClient& smbClient() {
    static const SmbClient client = loadSmbClient();
    return client;
}

// libsmbclient keeps per-thread talloc frames and process-wide configuration; listings run one
// at a time, from whichever thread asks.
std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

struct ContextDeleter {
    void operator()(SMBCCTX* context) const { smbClient().freeContext(context, 1); }
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
    const SmbClient& smb = smbClient();
    Context context(smb.newContext());
    if (!context) {
        return nullptr;
    }
    smb.setTimeout(context.get(), kTimeoutMs);
    smb.setAuthData(context.get(), anonymousCredentials);
    if (smb.initContext(context.get()) == nullptr) {
        return nullptr;  // a context that failed to initialise is freed by the deleter
    }
    return context;
}

// An open share listing, closed with its context's closedir.
class ShareListing {
public:
    ShareListing(SMBCCTX* context, const QByteArray& url) : m_context(context) {
        m_directory = smbClient().opendir(context)(context, url.constData());
        m_errno = m_directory == nullptr ? errno : 0;
    }
    ~ShareListing() {
        if (m_directory != nullptr) {
            smbClient().closedir(m_context)(m_context, m_directory);
        }
    }
    ShareListing(const ShareListing&) = delete;
    ShareListing& operator=(const ShareListing&) = delete;

    bool isOpen() const { return m_directory != nullptr; }
    int openErrno() const { return m_errno; }
    smbc_dirent* next() { return smbClient().readdir(m_context)(m_context, m_directory); }

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

// The host goes into an smb:// URL: a name or an address only. Anything that the URL would
// read as a user, port, path, query or escape ("guest@host", "host:139", "host/share") would
// send the listing somewhere else than the host the user named.
bool isPlainHost(const QString& host) {
    static const QString kUrlSyntax = QStringLiteral("@:/\\?#%;");
    for (const QChar c : host) {
        if (kUrlSyntax.contains(c) || c.isSpace() || c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

}  // namespace

win32::Error checkPrinterShare(const QString& host, const QString& share, QString& comment) {
    if (host.isEmpty() || share.isEmpty() || !isPlainHost(host)) {
        return win32::kInvalidPrinterName;
    }
    std::lock_guard<std::mutex> lock(libraryMutex());
    if (!smbClient().isLoaded()) {
        return win32::kNotSupported;
    }
    Context context = openContext();
    if (!context) {
        qCWarning(lcSmb) << "libsmbclient could not be initialised:" << std::strerror(errno);
        return win32::kRpcServerUnavailable;
    }
    ShareListing listing(context.get(), QByteArrayLiteral("smb://") + host.toUtf8() + '/');
    if (!listing.isOpen()) {
        qCDebug(lcSmb) << "listing the shares of" << host
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

}  // namespace platform::posix
