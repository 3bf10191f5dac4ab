// The simulated PC's service control manager: its services with their states and start types,
// the profile section "services", `corvanta-sim service ...` and `show services`.
#include <QJsonArray>

#include <functional>

#include "platform/Services.h"
#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/services/ServiceState.h"
#include "platform/sim/services/SimServices.h"

namespace platform::sim {

namespace {

using namespace services;

// "services": {"<name>": {"displayName": "...", "state": "running", "startType": "auto",
//                         "markedForDeletion": false}}
bool parseServicesSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                          QString& error) {
    QJsonObject described;
    if (!json::readObject(section, path, described, error)) {
        return false;
    }
    QJsonObject services;
    std::uint32_t processId = 2000;
    for (auto it = described.begin(); it != described.end(); ++it) {
        const QString where = json::memberPath(path, it.key());
        QJsonObject entry;
        QString displayName = it.key();
        QString state = QStringLiteral("running");
        QString startType = QStringLiteral("auto");
        bool marked = false;
        if (!json::readObject(it.value(), where, entry, error) ||
            !json::rejectUnknownFields(
                entry,
                {QLatin1String(key::kDisplayName), QLatin1String(key::kState),
                 QLatin1String(key::kStartType), QLatin1String(key::kMarkedForDeletion)},
                where, error) ||
            !json::readString(entry, QLatin1String(key::kDisplayName), where, true, displayName,
                              error) ||
            !json::readString(entry, QLatin1String(key::kState), where, true, state, error) ||
            !json::readString(entry, QLatin1String(key::kStartType), where, true, startType,
                              error) ||
            !json::readBool(entry, QLatin1String(key::kMarkedForDeletion), where, true, marked,
                            error)) {
            return false;
        }
        std::uint32_t stateValue = 0;
        std::uint32_t startValue = 0;
        if (!stateFromName(state, stateValue) ||
            (stateValue != svc::kStopped && stateValue != svc::kRunning &&
             stateValue != svc::kPaused)) {
            error = QStringLiteral("%1: state is stopped, running or paused").arg(where);
            return false;
        }
        if (!startTypeFromName(startType, startValue)) {
            error = QStringLiteral("%1: startType is boot, system, auto, demand or disabled")
                        .arg(where);
            return false;
        }
        QJsonObject record{{key::kDisplayName, displayName},
                           {key::kState, int(stateValue)},
                           {key::kStartType, int(startValue)},
                           {key::kProcessId, stateValue == svc::kStopped ? 0 : int(processId)}};
        if (marked) {
            record.insert(key::kMarkedForDeletion, true);
        }
        processId += 4;
        services.insert(it.key(), record);
    }
    document.insert(key::kServices, services);
    document.insert(key::kNextProcessId, int(processId));
    return true;
}

bool checkServicesDocument(const QJsonObject& document, QString& error) {
    if (document.contains(key::kServices) && !document.value(key::kServices).isObject()) {
        error = QStringLiteral("\"services\" is not an object");
        return false;
    }
    return true;
}

void showRecord(const QString& name, const QJsonObject& record, QTextStream& out) {
    const ServiceStatusProcess status = statusOf(record, nowMs());
    out << name << " (" << record.value(key::kDisplayName).toString()
        << "): " << stateName(status.currentState) << ", start "
        << startTypeName(record.value(key::kStartType).toInt());
    if (status.processId != 0) {
        out << ", process " << status.processId;
    }
    if (record.value(key::kMarkedForDeletion).toBool()) {
        out << ", marked for deletion";
    }
    if (record.value(key::kHangNextStop).toBool()) {
        out << ", next stop hangs";
    }
    if (record.contains(key::kLastStopReason)) {
        out << ", last stop reason 0x"
            << QString::number(qint64(record.value(key::kLastStopReason).toDouble()), 16).toUpper();
    }
    out << "\n";
}

bool showServices(const QJsonObject& document, QTextStream& out, QString&) {
    const QJsonObject services = servicesOf(document);
    for (auto it = services.begin(); it != services.end(); ++it) {
        showRecord(it.key(), it.value().toObject(), out);
    }
    const QJsonObject removed = document.value(key::kRemoved).toObject();
    for (auto it = removed.begin(); it != removed.end(); ++it) {
        out << it.key() << ": removed\n";
    }
    return true;
}

// One change of a person at the PC (services.msc, net stop, sc delete) to one service, settled
// first; answers the tool's exit code.
using Edit = std::function<QString(QJsonObject& document, QJsonObject& services,
                                   const QString& name, QJsonObject& record)>;

int editService(SimulatedPc& pc, const QString& requested, ProgramIo io, const Edit& edit) {
    QString failure;
    QString error;
    const bool saved = pc.machine().store().update(
        QLatin1String(kServicesFacility),
        [&](QJsonObject& document) {
            QString name = storedName(servicesOf(document), requested);
            if (!name.isEmpty()) {
                settle(document, name, nowMs());
            }
            QJsonObject services = servicesOf(document);
            name = storedName(services, requested);
            QJsonObject record = services.value(name).toObject();
            failure = edit(document, services, name, record);
            if (!failure.isEmpty()) {
                return false;
            }
            if (!name.isEmpty() && services.contains(name)) {
                services.insert(name, record);
            }
            document.insert(key::kServices, services);
            return true;
        },
        error);
    if (!saved) {
        return toolFailure(io, error);
    }
    return failure.isEmpty() ? 0 : toolFailure(io, failure);
}

QString missing(const QString& name) {
    return QStringLiteral("no service %1 (1060)").arg(name);
}

int runServiceVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    const QString requested = arguments.value(1);
    if (action == QLatin1String("show") && arguments.size() <= 2) {
        QJsonObject document;
        QString error;
        if (!pc.machine().store().read(QLatin1String(kServicesFacility), document, error)) {
            return toolFailure(io, error);
        }
        if (requested.isEmpty()) {
            showServices(document, io.out, error);
            return 0;
        }
        const QJsonObject services = servicesOf(document);
        const QString name = storedName(services, requested);
        if (name.isEmpty()) {
            return toolFailure(io, missing(requested));
        }
        showRecord(name, services.value(name).toObject(), io.out);
        return 0;
    }
    if (arguments.size() != 2 || requested.isEmpty()) {
        return toolFailure(io, QStringLiteral("usage: service show [NAME] | "
                                              "stop|start|hang|remove|restore NAME"));
    }
    // As "net stop" and "net start": the change is made and settled at once, so the verb
    // returns with the service in its new state.
    const auto finishNow = [](QJsonObject& document, QJsonObject& services, const QString& name,
                              QJsonObject& record, std::uint32_t target) {
        record.insert(key::kPendingUntil, 0.0);
        record.insert(key::kPendingTarget, int(target));
        services.insert(name, record);
        document.insert(key::kServices, services);
        settle(document, name, nowMs());
        services = servicesOf(document);
        record = services.value(name).toObject();
    };
    const auto present = [&](const QString& name) { return !name.isEmpty(); };
    if (action == QLatin1String("stop")) {
        // As "net stop": returns once the service has stopped; a stop that hangs is ended by
        // ending the service's process.
        return editService(pc, requested, io,
                           [&](QJsonObject& document, QJsonObject& services, const QString& name,
                               QJsonObject& record) -> QString {
                               if (!present(name)) {
                                   return missing(requested);
                               }
                               if (record.value(key::kState).toInt() == int(svc::kStopped)) {
                                   return QStringLiteral("%1 is not started (1062)").arg(name);
                               }
                               finishNow(document, services, name, record, svc::kStopped);
                               return {};
                           });
    }
    if (action == QLatin1String("start")) {
        return editService(
            pc, requested, io,
            [&](QJsonObject& document, QJsonObject& services, const QString& name,
                QJsonObject& record) -> QString {
                if (!present(name)) {
                    return missing(requested);
                }
                if (record.value(key::kMarkedForDeletion).toBool()) {
                    return QStringLiteral("%1 is marked for deletion (1072)").arg(name);
                }
                if (record.value(key::kStartType).toInt() == int(svc::kDisabled)) {
                    return QStringLiteral("%1 is disabled (1058)").arg(name);
                }
                if (record.value(key::kState).toInt() != int(svc::kStopped)) {
                    return QStringLiteral("%1 is not stopped (1056)").arg(name);
                }
                finishNow(document, services, name, record, svc::kRunning);
                return {};
            });
    }
    if (action == QLatin1String("hang")) {
        return editService(
            pc, requested, io,
            [&](QJsonObject&, QJsonObject&, const QString& name, QJsonObject& record) -> QString {
                if (!present(name)) {
                    return missing(requested);
                }
                record.insert(key::kHangNextStop, true);
                return {};
            });
    }
    if (action == QLatin1String("remove")) {
        // As DeleteService: a service that runs is marked for deletion and goes when it stops.
        return editService(
            pc, requested, io,
            [&](QJsonObject& document, QJsonObject& services, const QString& name,
                QJsonObject& record) -> QString {
                if (!present(name)) {
                    return missing(requested);
                }
                if (record.value(key::kMarkedForDeletion).toBool()) {
                    return QStringLiteral("%1 is marked for deletion (1072)").arg(name);
                }
                if (record.value(key::kState).toInt() != int(svc::kStopped)) {
                    record.insert(key::kMarkedForDeletion, true);
                    return {};
                }
                QJsonObject removed = document.value(key::kRemoved).toObject();
                removed.insert(name, record);
                document.insert(key::kRemoved, removed);
                services.remove(name);
                return {};
            });
    }
    if (action == QLatin1String("restore")) {
        return editService(pc, requested, io,
                           [&](QJsonObject& document, QJsonObject& services, const QString& name,
                               QJsonObject& record) -> QString {
                               if (present(name)) {
                                   if (!record.value(key::kMarkedForDeletion).toBool()) {
                                       return QStringLiteral("%1 is not removed").arg(name);
                                   }
                                   record.remove(key::kMarkedForDeletion);
                                   return {};
                               }
                               QJsonObject removed = document.value(key::kRemoved).toObject();
                               const QString gone = storedName(removed, requested);
                               if (gone.isEmpty()) {
                                   return QStringLiteral("%1 was not removed").arg(requested);
                               }
                               QJsonObject back = removed.value(gone).toObject();
                               back.insert(key::kState, int(svc::kStopped));
                               back.insert(key::kProcessId, 0);
                               services.insert(gone, back);
                               removed.remove(gone);
                               document.insert(key::kRemoved, removed);
                               return {};
                           });
    }
    return toolFailure(io, QStringLiteral("unknown service action: %1").arg(action));
}

void buildServices(SimulatedPc& pc) {
    pc.provide<Services>(makeSimServices(pc.machine()));
}

}  // namespace

FacilityDescription describeServicesFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kServicesFacility);
    facility.profileSections = {{QLatin1String(kServicesFacility), QLatin1String(kServicesFacility),
                                 false, parseServicesSection}};
    facility.checkDocument = checkServicesDocument;
    facility.show = showServices;
    facility.verbs = {
        {"service",
         "service show [NAME]        the services with their states and start types\n"
         "service stop|start NAME    stop or start a service and wait for it (as net stop)\n"
         "service hang NAME          the next stop request never finishes (stays stop-pending)\n"
         "service remove NAME        delete a service (a running one once it stops)\n"
         "service restore NAME       bring a removed service back, stopped",
         runServiceVerb},
    };
    facility.build = buildServices;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Services& services() {
    return sim::processPc().get<Services>();
}

}  // namespace platform
