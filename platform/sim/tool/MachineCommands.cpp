#include <QCommandLineParser>
#include <QDir>

#include "Commands.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/Profile.h"
#include "platform/sim/core/SimulatedPc.h"

namespace platform::sim::tool {

int runCreate(const QStringList& arguments, const Context& context) {
    QCommandLineParser parser;
    const QCommandLineOption profileOption(QStringLiteral("profile"),
                                           QStringLiteral("Bundled profile or profile file."),
                                           QStringLiteral("NAME|FILE"), kDefaultProfileName);
    const QCommandLineOption forceOption(QStringLiteral("force"),
                                         QStringLiteral("Replace an existing simulated PC."));
    parser.addOptions({profileOption, forceOption});
    if (!parser.parse(QStringList{QStringLiteral("create")} + arguments)) {
        return toolFailure(context.io, parser.errorText());
    }
    if (parser.positionalArguments().size() > 1) {
        return toolFailure(context.io, QStringLiteral("create takes one folder at most"));
    }
    const QString directory = parser.positionalArguments().value(0, context.machineDirectory);
    Profile profile;
    QString error;
    if (!loadProfile(parser.value(profileOption), context.facilities, profile, error) ||
        !Machine::create(directory, profile, parser.isSet(forceOption), error)) {
        return toolFailure(context.io, error);
    }
    context.io.out << QStringLiteral("Created a simulated PC from profile %1 in %2")
                          .arg(profile.source, QDir(directory).absolutePath())
                   << Qt::endl;
    return 0;
}

int runProfiles(const QStringList& arguments, const Context& context) {
    if (!arguments.isEmpty()) {
        return toolFailure(context.io, QStringLiteral("profiles takes no arguments"));
    }
    for (const QString& name : bundledProfileNames()) {
        Profile profile;
        QString error;
        const QString description =
            loadProfile(name, context.facilities, profile, error) ? profile.description : error;
        context.io.out << name.leftJustified(8) << "  " << description << Qt::endl;
    }
    return 0;
}

int runProgram(const QStringList& arguments, const Context& context) {
    if (arguments.isEmpty()) {
        return toolFailure(context.io, QStringLiteral("program needs a program name"));
    }
    const QString name = arguments.first();
    const SimProgram* program = findSimProgram(context.facilities, name);
    if (program == nullptr) {
        context.io.err << QStringLiteral("%1: not a program of the simulated PC").arg(name)
                       << Qt::endl;
        return 1;
    }
    SimulatedPc pc(context.machineDirectory, context.facilities, SimulatedPc::Open::SeedIfEmpty);
    if (!pc.isOpen()) {
        return toolFailure(context.io, pc.error());
    }
    return program->run(arguments.mid(1), pc, context.io);
}

}  // namespace platform::sim::tool
