#include "ConnectionsDocument.h"

#include <QJsonArray>

#include "platform/sim/core/JsonCheck.h"

namespace platform::sim::netconnections {

namespace {

const QLatin1String kConnections("connections");
const QLatin1String kRemoteName("remoteName");
const QLatin1String kDomain("domain");
const QLatin1String kUser("user");
const QLatin1String kPassword("password");
const QLatin1String kResourceType("resourceType");
const QLatin1String kRemembered("remembered");

}  // namespace

QString remoteHost(const QString& remoteName) {
    if (!remoteName.startsWith(QLatin1String("\\\\"))) {
        return QString();
    }
    const QString rest = remoteName.mid(2);
    const int separator = rest.indexOf(QLatin1Char('\\'));
    const QString host = separator < 0 ? rest : rest.left(separator);
    if (separator >= 0 && rest.mid(separator + 1).contains(QLatin1Char('\\'))) {
        return QString();  // deeper paths name a folder, not a connection
    }
    return host;
}

QString StoredConnection::host() const {
    return remoteHost(remoteName);
}

QString StoredConnection::account() const {
    return domain.isEmpty() ? user : domain + QLatin1Char('\\') + user;
}

bool readConnections(const QJsonObject& document, std::vector<StoredConnection>& connections,
                     QString& error) {
    connections.clear();
    const QJsonValue list = document.value(kConnections);
    if (list.isUndefined()) {
        return true;
    }
    if (!list.isArray()) {
        error = QStringLiteral("connections is not a list");
        return false;
    }
    const QJsonArray entries = list.toArray();
    for (int i = 0; i < entries.size(); ++i) {
        const QString path = json::indexPath(QString(kConnections), i);
        QJsonObject object;
        StoredConnection connection;
        quint64 type = 0;
        if (!json::readObject(entries.at(i), path, object, error) ||
            !json::rejectUnknownFields(
                object, {kRemoteName, kDomain, kUser, kPassword, kResourceType, kRemembered}, path,
                error) ||
            !json::readString(object, kRemoteName, path, false, connection.remoteName, error) ||
            !json::readString(object, kDomain, path, true, connection.domain, error) ||
            !json::readString(object, kUser, path, true, connection.user, error) ||
            !json::readString(object, kPassword, path, true, connection.password, error) ||
            !json::readUnsigned(object, kResourceType, path, true, 0xFFFFFFFF, type, error) ||
            !json::readBool(object, kRemembered, path, true, connection.remembered, error)) {
            return false;
        }
        if (connection.host().isEmpty()) {
            error = json::memberPath(path, kRemoteName) +
                    QStringLiteral(" is not of the form \\\\host or \\\\host\\share");
            return false;
        }
        connection.resourceType = quint32(type);
        connections.push_back(connection);
    }
    return true;
}

void writeConnections(const std::vector<StoredConnection>& connections, QJsonObject& document) {
    QJsonArray entries;
    for (const StoredConnection& connection : connections) {
        entries.append(QJsonObject{{kRemoteName, connection.remoteName},
                                   {kDomain, connection.domain},
                                   {kUser, connection.user},
                                   {kPassword, connection.password},
                                   {kResourceType, double(connection.resourceType)},
                                   {kRemembered, connection.remembered}});
    }
    document.insert(kConnections, entries);
}

}  // namespace platform::sim::netconnections
