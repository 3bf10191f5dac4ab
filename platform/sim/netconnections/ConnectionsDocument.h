#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

namespace platform::sim::netconnections {

constexpr const char* kNetConnectionsFacility = "netconnections";

// One open connection: the remote name as the program gave it ("\\host" or "\\host\share"),
// and the user it logged on as. The password stays in the state document, readable only by the
// owner of the machine folder, and is never shown.
struct StoredConnection {
    QString remoteName;
    QString domain;  // empty: the host's own accounts
    QString user;    // empty: a guest (null session) connection
    QString password;
    quint32 resourceType = 0;
    bool remembered = false;  // CONNECT_UPDATE_PROFILE: restored at the next log-on

    // The host part of the remote name, without backslashes.
    QString host() const;
    // "DOMAIN\user", or the user alone.
    QString account() const;
};

// The host part of "\\host" or "\\host\share"; empty when `remoteName` does not have one of
// these forms.
QString remoteHost(const QString& remoteName);

bool readConnections(const QJsonObject& document, std::vector<StoredConnection>& connections,
                     QString& error);
void writeConnections(const std::vector<StoredConnection>& connections, QJsonObject& document);

}  // namespace platform::sim::netconnections
