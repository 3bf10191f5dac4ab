// The simulated PC's network configuration: adapters, protocols, services and clients, and
// the write lock that programs changing them take.
#include <QDateTime>
#include <QTextStream>

#include "platform/NetworkConfig.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/netcfg/NetCfgDocument.h"
#include "platform/sim/netcfg/SimNetworkConfig.h"

namespace platform::sim {

namespace {

using namespace netcfg;

bool parseNetCfgSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                        QString& error) {
    NetCfgState state;
    if (!section.isObject()) {
        error = QStringLiteral("%1: expected an object").arg(path);
        return false;
    }
    if (!readNetCfgState(section.toObject(), path, true, state, error)) {
        return false;
    }
    document = netCfgStateJson(state);
    return true;
}

bool checkNetCfg(const QJsonObject& document, QString& error) {
    NetCfgState state;
    return readNetCfgState(document, QLatin1String(kNetCfgFacility), false, state, error);
}

bool showNetCfg(const QJsonObject& document, QTextStream& out, QString& error) {
    NetCfgState state;
    if (!readNetCfgState(document, QLatin1String(kNetCfgFacility), false, state, error)) {
        return false;
    }
    for (const NetComponent& component : state.components) {
        out << "  " << componentClassName(component.componentClass) << ' '
            << QString::fromStdWString(component.id) << ": "
            << QString::fromStdWString(component.displayName);
        if (component.deviceStatus != 0) {
            out << " (problem " << component.deviceStatus << ')';
        }
        out << '\n';
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (state.isLockedAt(now)) {
        out << "  write lock held by " << state.lock.holder;
        if (state.lock.until != 0) {
            out << " for " << (state.lock.until - now + 999) / 1000 << " s more";
        }
        out << '\n';
    } else {
        out << "  write lock free\n";
    }
    return true;
}

const QString kUsage =
    QStringLiteral("use netcfg component add|remove ID or netcfg lock HOLDER SECONDS");

int changeNetCfg(SimulatedPc& pc, ProgramIo io,
                 const std::function<QString(NetCfgState&)>& change) {
    QString failure;
    QString error;
    const bool written = pc.machine().store().update(
        QLatin1String(kNetCfgFacility),
        [&](QJsonObject& document) {
            NetCfgState state;
            if (!readNetCfgState(document, QLatin1String(kNetCfgFacility), false, state, failure)) {
                return false;
            }
            failure = change(state);
            if (!failure.isEmpty()) {
                return false;
            }
            StateStore::replaceKeepingChangeCount(document, netCfgStateJson(state));
            return true;
        },
        error);
    if (!written) {
        return toolFailure(io, error);
    }
    return failure.isEmpty() ? 0 : toolFailure(io, failure);
}

QString addComponent(NetCfgState& state, const QString& id) {
    if (state.has(id.toStdWString())) {
        return QStringLiteral("the component %1 is installed already").arg(id);
    }
    const QString name = installableProtocolName(id);
    if (name.isEmpty()) {
        return QStringLiteral("no protocol driver for %1").arg(id);
    }
    state.components.push_back(
        {id.toStdWString(), name.toStdWString(), platform::netcfg::ComponentClass::Protocol, 0});
    return QString();
}

QString removeComponent(NetCfgState& state, const QString& id) {
    for (auto it = state.components.begin(); it != state.components.end(); ++it) {
        if (QString::fromStdWString(it->id).compare(id, Qt::CaseInsensitive) == 0) {
            state.components.erase(it);
            return QString();
        }
    }
    return QStringLiteral("no component %1 is installed").arg(id);
}

// netcfg component add|remove ID: as the adapter's properties dialog installs and uninstalls;
// netcfg lock HOLDER SECONDS: another program takes the write lock (0 seconds frees it).
int runNetCfgVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    if (action == QLatin1String("component") && arguments.size() == 3) {
        const QString change = arguments.at(1);
        const QString id = arguments.at(2);
        if (change == QLatin1String("add")) {
            return changeNetCfg(pc, io,
                                [&id](NetCfgState& state) { return addComponent(state, id); });
        }
        if (change == QLatin1String("remove")) {
            return changeNetCfg(pc, io,
                                [&id](NetCfgState& state) { return removeComponent(state, id); });
        }
    }
    if (action == QLatin1String("lock") && arguments.size() == 3) {
        bool ok = false;
        const qint64 seconds = arguments.at(2).toLongLong(&ok);
        if (ok && seconds >= 0) {
            const QString holder = arguments.at(1);
            return changeNetCfg(pc, io, [&](NetCfgState& state) {
                state.locked = seconds > 0;
                state.lock = WriteLock();
                if (state.locked) {
                    state.lock = {holder, QDateTime::currentMSecsSinceEpoch() + seconds * 1000,
                                  QString()};
                }
                return QString();
            });
        }
    }
    return toolFailure(io, kUsage);
}

void buildNetCfg(SimulatedPc& pc) {
    pc.provide<NetworkConfig>(
        makeSimNetworkConfig(pc.machine().store(), pc.machine().system().elevated));
}

}  // namespace

FacilityDescription describeNetcfgFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kNetCfgFacility);
    facility.profileSections = {{QLatin1String(kNetCfgFacility), QLatin1String(kNetCfgFacility),
                                 false, parseNetCfgSection}};
    facility.checkDocument = checkNetCfg;
    facility.show = showNetCfg;
    facility.verbs = {
        {"netcfg",
         "netcfg component add|remove ID\n"
         "                           install or uninstall a network protocol (ms_rmcast, ...)\n"
         "netcfg lock HOLDER SECONDS\n"
         "                           another program holds the configuration's write lock",
         runNetCfgVerb},
    };
    facility.build = buildNetCfg;
    return facility;
}

}  // namespace platform::sim

namespace platform {

NetworkConfig& networkConfig() {
    return sim::processPc().get<NetworkConfig>();
}

}  // namespace platform
