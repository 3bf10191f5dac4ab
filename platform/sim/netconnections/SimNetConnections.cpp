#include "SimNetConnections.h"

#include <QFile>

#include <algorithm>

#include "ConnectionsDocument.h"
#include "platform/posix/SmbPrinterShares.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::netconnections {

namespace {

const QString kFacility = QLatin1String(kNetConnectionsFacility);

bool sameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "DOMAIN\user" or "user@domain" into its parts; a bare name is an account of the host.
void splitAccount(const QString& account, QString& domain, QString& user) {
    const int backslash = account.indexOf(QLatin1Char('\\'));
    if (backslash >= 0) {
        domain = account.left(backslash);
        user = account.mid(backslash + 1);
        return;
    }
    domain.clear();
    user = account;
}

posix::SmbCredentials credentialsOf(const StoredConnection& connection) {
    return {connection.domain, connection.user, connection.password};
}

// What the log-on attempt of a new connection answers, in WNetAddConnection2's terms.
win32::Error connectionError(win32::Error listing) {
    switch (listing) {
        case win32::kSuccess:
        case win32::kAccessDenied:
        case posix::kLogonFailure:
        case posix::kBadNetPath:
        case win32::kNotSupported:
            return listing;
        case win32::kInvalidName:
            return net::kErrorBadNetName;
        default:
            return net::kErrorBadNetPath;
    }
}

class SimNetConnections final : public NetConnections {
public:
    explicit SimNetConnections(StateStore& store) : m_store(store) {}

    win32::Error addConnection2(const NetResource& resource, const std::wstring* password,
                                const std::wstring* userName, std::uint32_t flags) override {
        if (!resource.localName.empty()) {
            // Redirecting drive letters and LPT ports is not modelled: this PC has no such
            // devices to give (ERROR_BAD_DEVICE).
            return kBadDevice;
        }
        if (resource.type != net::kResourceTypeAny && resource.type != net::kResourceTypeDisk &&
            resource.type != net::kResourceTypePrint) {
            return win32::kInvalidParameter;
        }
        StoredConnection connection;
        connection.remoteName = QString::fromStdWString(resource.remoteName);
        if (connection.host().isEmpty()) {
            return net::kErrorBadNetName;
        }
        splitAccount(userName ? QString::fromStdWString(*userName) : QString(), connection.domain,
                     connection.user);
        connection.password = password ? QString::fromStdWString(*password) : QString();
        connection.resourceType = resource.type;
        connection.remembered = (flags & net::kConnectUpdateProfile) != 0;

        std::vector<StoredConnection> open;
        QString error;
        QJsonObject document;
        if (!m_store.read(kFacility, document, error) || !readConnections(document, open, error)) {
            return kStateUnreadable;
        }
        for (const StoredConnection& existing : open) {
            // One log-on per host: Windows refuses a second user for a host it is connected to.
            if (sameText(existing.host(), connection.host()) &&
                !sameText(existing.account(), connection.account())) {
                return net::kErrorSessionCredentialConflict;
            }
        }
        std::vector<posix::SmbShare> shares;
        const win32::Error logOn = connectionError(
            posix::listShares(connection.host(), credentialsOf(connection), shares));
        if (logOn != win32::kSuccess) {
            return logOn;
        }
        return store(connection);
    }

    win32::Error cancelConnection2(const std::wstring& name, std::uint32_t, bool) override {
        const QString remoteName = QString::fromStdWString(name);
        bool found = false;
        bool readable = true;
        QString error;
        const bool written = m_store.update(
            kFacility,
            [&](QJsonObject& document) {
                std::vector<StoredConnection> open;
                QString readError;
                if (!readConnections(document, open, readError)) {
                    readable = false;
                    return false;
                }
                const auto size = open.size();
                open.erase(std::remove_if(open.begin(), open.end(),
                                          [&](const StoredConnection& connection) {
                                              return sameText(connection.remoteName, remoteName);
                                          }),
                           open.end());
                found = open.size() != size;
                if (found) {
                    writeConnections(open, document);
                }
                return found;
            },
            error);
        if (!written || !readable) {
            return readable ? kStateUnwritable : kStateUnreadable;
        }
        return found ? win32::kSuccess : net::kErrorNotConnected;
    }

    win32::Error connections(std::vector<NetConnection>& connections) override {
        connections.clear();
        std::vector<StoredConnection> open;
        if (!readOpen(open)) {
            return kStateUnreadable;
        }
        for (const StoredConnection& connection : open) {
            connections.push_back(
                {connection.remoteName.toStdWString(), connection.account().toStdWString()});
        }
        return win32::kSuccess;
    }

    win32::Error shareEnum(const std::wstring& server, std::vector<ShareInfo1>& shares,
                           std::uint32_t& resumeHandle) override {
        shares.clear();
        QString host = QString::fromStdWString(server);
        while (host.startsWith(QLatin1Char('\\'))) {
            host.remove(0, 1);
        }
        if (host.isEmpty()) {
            // The local computer's own shares are not part of this model.
            return win32::kNotSupported;
        }
        std::vector<StoredConnection> open;
        if (!readOpen(open)) {
            return kStateUnreadable;
        }
        posix::SmbCredentials credentials;
        for (const StoredConnection& connection : open) {
            if (sameText(connection.host(), host)) {
                credentials = credentialsOf(connection);
                break;
            }
        }
        std::vector<posix::SmbShare> listed;
        win32::Error error = posix::listShares(host, credentials, listed);
        if (error == posix::kLogonFailure) {
            error = win32::kAccessDenied;  // the stored password no longer works
        }
        for (const posix::SmbShare& share : listed) {
            shares.push_back({share.name.toStdWString(), share.type, share.comment.toStdWString()});
        }
        resumeHandle = 0;
        return error;
    }

private:
    static constexpr win32::Error kBadDevice = 1200;  // ERROR_BAD_DEVICE

    bool readOpen(std::vector<StoredConnection>& open) const {
        QString error;
        QJsonObject document;
        return m_store.read(kFacility, document, error) && readConnections(document, open, error);
    }

    // Adds or replaces the connection of that remote name; the document holds passwords, so
    // it is kept readable by its owner only.
    win32::Error store(const StoredConnection& connection) {
        bool readable = true;
        QString error;
        const bool written = m_store.update(
            kFacility,
            [&](QJsonObject& document) {
                std::vector<StoredConnection> open;
                QString readError;
                if (!readConnections(document, open, readError)) {
                    readable = false;
                    return false;
                }
                open.erase(std::remove_if(open.begin(), open.end(),
                                          [&](const StoredConnection& existing) {
                                              return sameText(existing.remoteName,
                                                              connection.remoteName);
                                          }),
                           open.end());
                open.push_back(connection);
                writeConnections(open, document);
                return true;
            },
            error);
        if (!written || !readable) {
            return readable ? kStateUnwritable : kStateUnreadable;
        }
        QFile::setPermissions(m_store.documentPath(kFacility),
                              QFile::ReadOwner | QFile::WriteOwner);
        return win32::kSuccess;
    }

    StateStore& m_store;
};

}  // namespace

std::unique_ptr<NetConnections> makeSimNetConnections(StateStore& store) {
    return std::make_unique<SimNetConnections>(store);
}

}  // namespace platform::sim::netconnections
