#include "platform/posix/SmbPrinterShares.h"

#include <dlfcn.h>
#include <libsmbclient.h>

#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/Sockets.h"

namespace platform::posix {

namespace {

Q_LOGGING_CATEGORY(lcSmb, "corvanta.smb")

// Longer than the two seconds a share probe waits, so that the probe's own limit decides.
constexpr int kTimeoutMs = 5000;

// libsmbclient brings several dozen Samba libraries whose loading costs every process about
// 25 ms at start (measured: an empty program linked with it starts in 26 ms instead of 1 ms).
// Only share listings need it, so it is loaded on the first one.
struct SmbClient {
    decltype(&smbc_new_context) newContext = nullptr;
    decltype(&smbc_free_context) freeContext = nullptr;
    decltype(&smbc_setTimeout) setTimeout = nullptr;
    decltype(&smbc_setFunctionAuthDataWithContext) setAuthData = nullptr;
    decltype(&smbc_setOptionUserData) setUserData = nullptr;
    decltype(&smbc_getOptionUserData) userData = nullptr;
    decltype(&smbc_setOptionNoAutoAnonymousLogin) setNoAnonymousFallback = nullptr;
    decltype(&smbc_setOptionUseKerberos) setUseKerberos = nullptr;
    decltype(&smbc_init_context) initContext = nullptr;
    decltype(&smbc_getFunctionOpendir) opendir = nullptr;
    decltype(&smbc_getFunctionClosedir) closedir = nullptr;
    decltype(&smbc_getFunctionReaddir) readdir = nullptr;

    bool isLoaded() const {
        return newContext && freeContext && setTimeout && setAuthData && setUserData && userData &&
               setNoAnonymousFallback && setUseKerberos && initContext && opendir && closedir &&
               readdir;
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
    resolve(library, "smbc_setOptionUserData", client.setUserData);
    resolve(library, "smbc_getOptionUserData", client.userData);
    resolve(library, "smbc_setOptionNoAutoAnonymousLogin", client.setNoAnonymousFallback);
    resolve(library, "smbc_setOptionUseKerberos", client.setUseKerberos);
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

// libsmbclient keeps per-thread talloc frames and process-wide configuration, and this build of
// it has no thread support to switch on: listings run one at a time, from whichever thread asks.
std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

struct ContextDeleter {
    void operator()(SMBCCTX* context) const { smbClient().freeContext(context, 1); }
};
using Context = std::unique_ptr<SMBCCTX, ContextDeleter>;

// The credentials a context logs on with, as the C strings libsmbclient copies from.
struct LogOn {
    QByteArray domain;
    QByteArray user;
    QByteArray password;
};

void copyField(const QByteArray& value, char* field, int size) {
    if (size <= 0) {
        return;
    }
    const int length = std::min<int>(value.size(), size - 1);
    std::memcpy(field, value.constData(), static_cast<std::size_t>(length));
    field[length] = '\0';
}

void provideCredentials(SMBCCTX* context, const char*, const char*, char* workgroup,
                        int workgroupSize, char* user, int userSize, char* password,
                        int passwordSize) {
    const auto* logOn = static_cast<const LogOn*>(smbClient().userData(context));
    copyField(logOn ? logOn->domain : QByteArray(), workgroup, workgroupSize);
    copyField(logOn ? logOn->user : QByteArray(), user, userSize);
    copyField(logOn ? logOn->password : QByteArray(), password, passwordSize);
}

// `logOn` must outlive the context. Under the library mutex.
Context openContext(const LogOn& logOn) {
    const SmbClient& smb = smbClient();
    SMBCCTX* raw = smb.newContext();
    if (raw == nullptr) {
        return nullptr;
    }
    smb.setTimeout(raw, kTimeoutMs);
    smb.setUserData(raw, const_cast<LogOn*>(&logOn));
    smb.setAuthData(raw, provideCredentials);
    smb.setUseKerberos(raw, false);
    // Named credentials are checked: a refused password must not turn into a guest log-on.
    smb.setNoAnonymousFallback(raw, logOn.user.isEmpty() ? false : true);
    if (smb.initContext(raw) == nullptr) {
        smb.freeContext(raw, 1);
        return nullptr;
    }
    return Context(raw);
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

win32::Error errorFromErrno(int error, bool namedUser) {
    switch (error) {
        case EACCES:
        case EPERM:
            return namedUser ? kLogonFailure : win32::kAccessDenied;
        case ETIMEDOUT:
            return kSemaphoreTimeout;
        case ECONNREFUSED:
        case ECONNRESET:
        case EHOSTUNREACH:
        case ENETUNREACH:
        case ENOENT:
        case ENODEV:
            return kBadNetPath;
        case EINVAL:
            return win32::kInvalidName;
        default:
            return kUnexpectedNetworkError;
    }
}

// The host goes into an smb:// URL: a name or an address only. Anything that the URL would
// read as a user, port, path, query or escape ("guest@host", "host:139", "host/share") would
// send the listing somewhere else than the host the user named.
bool isPlainHost(const QString& host) {
    static const QString kUrlSyntax = QStringLiteral("@:/\\?#%;[]");
    for (const QChar c : host) {
        if (kUrlSyntax.contains(c) || c.isSpace() || c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return !host.isEmpty();
}

std::uint32_t shareType(const smbc_dirent& entry) {
    std::uint32_t type = kShareTypeDisk;
    switch (entry.smbc_type) {
        case SMBC_PRINTER_SHARE:
            type = kShareTypePrintQueue;
            break;
        case SMBC_COMMS_SHARE:
            type = kShareTypeDevice;
            break;
        case SMBC_IPC_SHARE:
            type = kShareTypeIpc;
            break;
        default:
            break;
    }
    const std::size_t length = std::strlen(entry.name);
    if (length > 0 && entry.name[length - 1] == '$') {
        type |= kShareTypeSpecial;
    }
    return type;
}

// The address the listing connects to. Names are resolved here, by the system resolver, so
// that libsmbclient never sends NetBIOS broadcasts to find a host.
bool hostAddress(const QString& host, QByteArray& address) {
    std::uint32_t value = sockets::parseAddress(host.toStdString());
    if (value == sockets::kAddressNone) {
        value = sockets::resolveHost(host.toLocal8Bit().toStdString());
    }
    if (value == sockets::kAddressNone) {
        return false;
    }
    address = QByteArray::fromStdString(sockets::addressText(value));
    return true;
}

}  // namespace

win32::Error listShares(const QString& host, const SmbCredentials& credentials,
                        std::vector<SmbShare>& shares) {
    shares.clear();
    if (!isPlainHost(host)) {
        return win32::kInvalidName;
    }
    if (!smbClient().isLoaded()) {
        return win32::kNotSupported;
    }
    QByteArray address;
    if (!hostAddress(host, address)) {
        return kBadNetPath;
    }
    const LogOn logOn{credentials.domain.toUtf8(), credentials.user.toUtf8(),
                      credentials.password.toUtf8()};
    std::lock_guard<std::mutex> lock(libraryMutex());
    Context context = openContext(logOn);
    if (!context) {
        qCWarning(lcSmb) << "libsmbclient could not be initialised:" << std::strerror(errno);
        return kUnexpectedNetworkError;
    }
    ShareListing listing(context.get(), QByteArrayLiteral("smb://") + address + '/');
    if (!listing.isOpen()) {
        qCDebug(lcSmb) << "listing the shares of" << host
                       << "failed:" << std::strerror(listing.openErrno());
        return errorFromErrno(listing.openErrno(), !credentials.user.isEmpty());
    }
    while (smbc_dirent* entry = listing.next()) {
        if (entry->smbc_type == SMBC_WORKGROUP || entry->smbc_type == SMBC_SERVER) {
            continue;
        }
        shares.push_back(
            {QString::fromUtf8(entry->name), shareType(*entry), QString::fromUtf8(entry->comment)});
    }
    return win32::kSuccess;
}

}  // namespace platform::posix
