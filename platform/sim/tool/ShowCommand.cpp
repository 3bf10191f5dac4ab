#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include "Commands.h"
#include "platform/sim/core/SimulatedPc.h"

namespace platform::sim::tool {

namespace {

bool showDocument(SimulatedPc& pc, const QString& name, QTextStream& out, QString& error) {
    StateStore& store = pc.machine().store();
    QJsonObject document;
    if (!store.read(name, document, error)) {
        return false;
    }
    out << QStringLiteral("[%1] change %2\n").arg(name).arg(StateStore::changeCount(document));
    const FacilityDescription* facility = pc.facility(name);
    if (facility != nullptr && facility->show != nullptr) {
        if (!facility->show(document, out, error)) {
            error = QStringLiteral("state file %1: %2").arg(store.documentPath(name), error);
            return false;
        }
    } else {
        out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    }
    out.flush();
    return true;
}

// The documents the machine holds: a facility that has never written has none yet.
QStringList documentNames(const SimulatedPc& pc) {
    QStringList names;
    for (const QFileInfo& file :
         QDir(pc.machine().store().directory())
             .entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        names << file.completeBaseName();
    }
    return names;
}

}  // namespace

int runShow(const QStringList& arguments, const Context& context) {
    if (arguments.size() > 1) {
        return toolFailure(context.io, QStringLiteral("show takes one facility at most"));
    }
    SimulatedPc pc(context.machineDirectory, context.facilities, SimulatedPc::Open::Existing);
    if (!pc.isOpen()) {
        return toolFailure(context.io, pc.error());
    }
    const QStringList known = documentNames(pc);
    const QStringList shown = arguments.isEmpty() ? known : arguments;
    if (!arguments.isEmpty() && !known.contains(arguments.first())) {
        return toolFailure(context.io,
                           QStringLiteral("no facility %1 (there are: %2)")
                               .arg(arguments.first(), known.join(QStringLiteral(", "))));
    }
    context.io.out << "Simulated PC in " << pc.machine().directory() << '\n';
    QString error;
    for (const QString& name : shown) {
        if (!showDocument(pc, name, context.io.out, error)) {
            return toolFailure(context.io, error);
        }
    }
    return 0;
}

}  // namespace platform::sim::tool
