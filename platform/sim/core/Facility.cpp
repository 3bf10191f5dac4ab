#include "Facility.h"

#include <QRegularExpression>

namespace platform::sim {

namespace {

// "C:\Windows\System32\SHUTDOWN.EXE" -> "shutdown".
QString programBaseName(const QString& name) {
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    QString base = name.section(separators, -1).toLower();
    if (base.endsWith(QLatin1String(".exe"))) {
        base.chop(4);
    }
    return base;
}

}  // namespace

int toolFailure(ProgramIo io, const QString& error) {
    io.err << "corvanta-sim: " << error << Qt::endl;
    return 1;
}

const SimProgram* findSimProgram(const Facilities& facilities, const QString& name) {
    const QString base = programBaseName(name);
    for (const FacilityDescription& facility : facilities) {
        for (const SimProgram& program : facility.programs) {
            if (base == QLatin1String(program.name)) {
                return &program;
            }
        }
    }
    return nullptr;
}

}  // namespace platform::sim
