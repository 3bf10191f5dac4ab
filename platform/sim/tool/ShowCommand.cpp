#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include "Commands.h"
#include "platform/sim/Machine.h"
#include "platform/sim/RegistryData.h"
#include "platform/sim/RegistryDocument.h"

namespace platform::sim::tool {

namespace {

void showSystem(const QJsonObject& document, const Context& context) {
    const QJsonObject system = document.value(QLatin1String(kSystemFacility)).toObject();
    const QJsonObject version = system.value(QStringLiteral("version")).toObject();
    context.out << QStringLiteral("  Windows %1.%2 build %3, service pack %4.%5\n")
                       .arg(version.value(QStringLiteral("major")).toInt())
                       .arg(version.value(QStringLiteral("minor")).toInt())
                       .arg(version.value(QStringLiteral("build")).toInt())
                       .arg(version.value(QStringLiteral("servicePackMajor")).toInt())
                       .arg(version.value(QStringLiteral("servicePackMinor")).toInt());
    for (auto it = system.begin(); it != system.end(); ++it) {
        if (it.key() != QLatin1String("version")) {
            context.out << "  " << it.key() << ": " << it.value().toVariant().toString() << '\n';
        }
    }
    for (const QJsonValue& request : document.value(QStringLiteral("restartRequests")).toArray()) {
        const QJsonObject fields = request.toObject();
        context.out << QStringLiteral("  restart requested %1: flags 0x%2, reason 0x%3\n")
                           .arg(fields.value(QStringLiteral("time")).toString())
                           .arg(quint32(fields.value(QStringLiteral("flags")).toDouble()), 0, 16)
                           .arg(quint32(fields.value(QStringLiteral("reason")).toDouble()), 0, 16);
    }
}

bool showRegistry(const QJsonObject& document, const Context& context, QString& error) {
    RegistryData data;
    if (!readRegistryDocument(document, data, error)) {
        return false;
    }
    const QJsonObject keys = data.keysJson();
    for (auto key = keys.begin(); key != keys.end(); ++key) {
        context.out << "  " << key.key() << '\n';
        const RegistryKeyEntry* entry = data.key(key.key());
        for (const NamedRegistryValue& value : entry->values) {
            context.out << "      "
                        << (value.name.isEmpty() ? QStringLiteral("(Default)") : value.name)
                        << "    " << registryTypeName(value.value.type) << "    "
                        << registryDataText(value.value) << '\n';
        }
    }
    const QJsonObject access = data.accessJson();
    for (auto rule = access.begin(); rule != access.end(); ++rule) {
        context.out << "  access " << rule.value().toString() << ": " << rule.key() << '\n';
    }
    return true;
}

bool showFacility(Machine& machine, const QString& facility, const Context& context,
                  QString& error) {
    QJsonObject document;
    if (!machine.store().read(facility, document, error)) {
        return false;
    }
    context.out
        << QStringLiteral("[%1] change %2\n").arg(facility).arg(StateStore::changeCount(document));
    if (facility == QLatin1String(kSystemFacility)) {
        showSystem(document, context);
    } else if (facility == QLatin1String(kRegistryFacility)) {
        if (!showRegistry(document, context, error)) {
            error = QStringLiteral("state file %1: %2")
                        .arg(machine.store().documentPath(facility), error);
            return false;
        }
    } else {
        context.out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    }
    context.out.flush();
    return true;
}

QStringList facilities(const Machine& machine) {
    QStringList names;
    for (const QFileInfo& file :
         QDir(machine.store().directory())
             .entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        names << file.completeBaseName();
    }
    return names;
}

}  // namespace

int runShow(const QStringList& arguments, const Context& context) {
    if (arguments.size() > 1) {
        return fail(context, QStringLiteral("show takes one facility at most"));
    }
    QString error;
    const std::unique_ptr<Machine> machine = Machine::open(context.machineDirectory, error);
    if (!machine) {
        return fail(context, error);
    }
    const QStringList known = facilities(*machine);
    const QStringList shown = arguments.isEmpty() ? known : arguments;
    if (!arguments.isEmpty() && !known.contains(arguments.first())) {
        return fail(context, QStringLiteral("no facility %1 (there are: %2)")
                                 .arg(arguments.first(), known.join(QStringLiteral(", "))));
    }
    context.out << "Simulated PC in " << machine->directory() << '\n';
    for (const QString& facility : shown) {
        if (!showFacility(*machine, facility, context, error)) {
            return fail(context, error);
        }
    }
    return 0;
}

}  // namespace platform::sim::tool
