#include <QCommandLineParser>
#include <QDir>

#include "Commands.h"
#include "platform/sim/Machine.h"
#include "platform/sim/Profile.h"
#include "platform/sim/SimPrograms.h"

namespace platform::sim::tool {

int fail(const Context& context, const QString& error) {
    context.err << "corvanta-sim: " << error << Qt::endl;
    return 1;
}

int runCreate(const QStringList& arguments, const Context& context) {
    QCommandLineParser parser;
    const QCommandLineOption profileOption(
        QStringLiteral("profile"), QStringLiteral("Bundled profile or profile file."),
        QStringLiteral("NAME|FILE"), QLatin1String(kDefaultProfileName));
    const QCommandLineOption forceOption(QStringLiteral("force"),
                                         QStringLiteral("Replace an existing simulated PC."));
    parser.addOptions({profileOption, forceOption});
    if (!parser.parse(QStringList{QStringLiteral("create")} + arguments)) {
        return fail(context, parser.errorText());
    }
    if (parser.positionalArguments().size() > 1) {
        return fail(context, QStringLiteral("create takes one folder at most"));
    }
    const QString directory = parser.positionalArguments().value(0, context.machineDirectory);
    Profile profile;
    QString error;
    if (!loadProfile(parser.value(profileOption), profile, error) ||
        !Machine::create(directory, profile, parser.isSet(forceOption), error)) {
        return fail(context, error);
    }
    context.out << QStringLiteral("Created a simulated PC from profile %1 in %2")
                       .arg(profile.source, QDir(directory).absolutePath())
                << Qt::endl;
    return 0;
}

int runProfiles(const QStringList& arguments, const Context& context) {
    if (!arguments.isEmpty()) {
        return fail(context, QStringLiteral("profiles takes no arguments"));
    }
    for (const QString& name : bundledProfileNames()) {
        Profile profile;
        QString error;
        const QString description = loadProfile(name, profile, error) ? profile.description : error;
        context.out << name.leftJustified(8) << "  " << description << Qt::endl;
    }
    return 0;
}

int runProgram(const QStringList& arguments, const Context& context) {
    if (arguments.isEmpty()) {
        return fail(context, QStringLiteral("program needs a program name"));
    }
    const QString name = arguments.first();
    if (!isSimProgram(name)) {
        context.err << QStringLiteral("%1: not a program of the simulated PC").arg(name)
                    << Qt::endl;
        return 1;
    }
    QString error;
    const std::unique_ptr<Machine> machine = Machine::openOrSeed(context.machineDirectory, error);
    if (!machine) {
        return fail(context, error);
    }
    return runSimProgram(name, arguments.mid(1), *machine, {context.out, context.err});
}

}  // namespace platform::sim::tool
