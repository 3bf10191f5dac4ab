// The simulated PC's identity: Windows version, architecture, names, elevation, UI language,
// and the restart requests that shutdown and the process facility record.
#include <QJsonArray>
#include <QTextStream>

#include "platform/SystemInfo.h"
#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/core/SystemFacts.h"
#include "platform/sim/system/ShutdownProgram.h"
#include "platform/sim/system/SimSystemInfo.h"

namespace platform::sim {

namespace {

const QLatin1String kRestartRequests("restartRequests");
const QLatin1String kVersion("version");

bool parseSystemSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                        QString& error) {
    QJsonObject object;
    SystemFacts facts;
    if (!json::readObject(section, path, object, error) ||
        !systemFactsFromJson(object, path, facts, error)) {
        return false;
    }
    document.insert(kSystemFacility, systemFactsToJson(facts));
    document.insert(kRestartRequests, QJsonArray());
    return true;
}

bool showSystem(const QJsonObject& document, QTextStream& out, QString&) {
    const QJsonObject system = document.value(kSystemFacility).toObject();
    const QJsonObject version = system.value(kVersion).toObject();
    out << QStringLiteral("  Windows %1.%2 build %3, service pack %4.%5\n")
               .arg(version.value(QLatin1String("major")).toInt())
               .arg(version.value(QLatin1String("minor")).toInt())
               .arg(version.value(QLatin1String("build")).toInt())
               .arg(version.value(QLatin1String("servicePackMajor")).toInt())
               .arg(version.value(QLatin1String("servicePackMinor")).toInt());
    for (auto it = system.begin(); it != system.end(); ++it) {
        if (it.key() != kVersion) {
            out << "  " << it.key() << ": " << it.value().toVariant().toString() << '\n';
        }
    }
    for (const QJsonValue& request : document.value(kRestartRequests).toArray()) {
        const QJsonObject fields = request.toObject();
        out << QStringLiteral("  restart requested %1: flags 0x%2, reason 0x%3\n")
                   .arg(fields.value(QLatin1String("time")).toString())
                   .arg(quint32(fields.value(QLatin1String("flags")).toDouble()), 0, 16)
                   .arg(quint32(fields.value(QLatin1String("reason")).toDouble()), 0, 16);
    }
    return true;
}

void buildSystem(SimulatedPc& pc) {
    pc.provide<SystemInfo>(std::make_unique<SimSystemInfo>(pc.machine().system()));
}

}  // namespace

FacilityDescription describeSystemFacility() {
    FacilityDescription facility;
    facility.name = kSystemFacility;
    facility.profileSections = {{kSystemFacility, kSystemFacility, true, parseSystemSection}};
    facility.show = showSystem;
    facility.programs = {{"shutdown", runShutdown}};
    facility.build = buildSystem;
    return facility;
}

}  // namespace platform::sim

namespace platform {

SystemInfo& systemInfo() {
    return sim::processPc().get<SystemInfo>();
}

}  // namespace platform
