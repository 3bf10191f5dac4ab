// The simulated PC's network connections: this user's log-ons to other hosts and the share
// listings made with them.
#include <QTextStream>

#include "ConnectionsDocument.h"
#include "SimNetConnections.h"
#include "platform/NetConnections.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"

namespace platform::sim {

namespace {

using netconnections::StoredConnection;

bool checkConnections(const QJsonObject& document, QString& error) {
    std::vector<StoredConnection> connections;
    return netconnections::readConnections(document, connections, error);
}

// One line per connection: the remote name and the account, never the password.
void writeConnectionLines(const std::vector<StoredConnection>& connections, QTextStream& out) {
    if (connections.empty()) {
        out << "  no connections\n";
    }
    for (const StoredConnection& connection : connections) {
        out << "  " << connection.remoteName << "    "
            << (connection.user.isEmpty() ? QStringLiteral("(guest)") : connection.account())
            << (connection.remembered ? QStringLiteral("    remembered") : QString()) << '\n';
    }
}

bool showConnections(const QJsonObject& document, QTextStream& out, QString& error) {
    std::vector<StoredConnection> connections;
    if (!netconnections::readConnections(document, connections, error)) {
        return false;
    }
    writeConnectionLines(connections, out);
    return true;
}

int runConnectionsVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    if (!arguments.isEmpty()) {
        return toolFailure(io, QStringLiteral("net connections takes no arguments"));
    }
    QJsonObject document;
    QString error;
    std::vector<StoredConnection> connections;
    if (!pc.machine().store().read(QLatin1String(netconnections::kNetConnectionsFacility), document,
                                   error) ||
        !netconnections::readConnections(document, connections, error)) {
        return toolFailure(io, error);
    }
    writeConnectionLines(connections, io.out);
    return 0;
}

void buildNetConnections(SimulatedPc& pc) {
    pc.provide<NetConnections>(netconnections::makeSimNetConnections(pc.machine().store()));
}

}  // namespace

FacilityDescription describeNetconnectionsFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(netconnections::kNetConnectionsFacility);
    facility.checkDocument = checkConnections;
    facility.show = showConnections;
    // Two words: the tool gives a command to the verb whose words it starts with, the longest
    // first, so other "net ..." verbs live beside this one.
    facility.verbs = {
        {"net connections",
         "net connections            this user's connections to other hosts (\\\\host and the\n"
         "                           account logged on with)",
         runConnectionsVerb},
    };
    facility.build = buildNetConnections;
    return facility;
}

}  // namespace platform::sim

namespace platform {

NetConnections& netConnections() {
    return sim::processPc().get<NetConnections>();
}

}  // namespace platform
