// corvanta-sim: creates, shows and drives a simulated Windows PC, as a person or Windows would.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include "Commands.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"

namespace {

using namespace platform::sim;

struct MachineCommand {
    const char* name;
    const char* help;
    int (*run)(const QStringList&, const tool::Context&);
};

const MachineCommand kMachineCommands[] = {
    {"create",
     "create [--profile NAME|FILE] [--force] [DIR]\n"
     "                           create a PC from a profile (default win10) in DIR or the\n"
     "                           machine folder; --force replaces an existing PC",
     tool::runCreate},
    {"show", "show [FACILITY]            the state of every facility, or of one", tool::runShow},
    {"profiles", "profiles                   the bundled profiles", tool::runProfiles},
    {"program", "program NAME [ARGS...]     run a Windows program of the simulated PC",
     tool::runProgram},
};

// Each line of `text` indented by two spaces.
QString indented(const char* text) {
    return QStringLiteral("  ") +
           QString::fromUtf8(text).replace(QLatin1Char('\n'), QStringLiteral("\n  "));
}

QString description(const Facilities& facilities) {
    QStringList lines{
        QStringLiteral("Creates, shows and changes a simulated Windows PC."),
        QString(),
        QStringLiteral("The PC is the folder given by --machine, else $CORVANTA_MACHINE, else the "
                       "per-user"),
        QStringLiteral("default (created from the win10 profile on first use)."),
        QString(),
        QStringLiteral("Commands:"),
    };
    QStringList facilityNames;
    QStringList programs;
    for (const FacilityDescription& facility : facilities) {
        facilityNames << facility.name;
        for (const SimProgram& program : facility.programs) {
            programs << QLatin1String(program.name);
        }
    }
    for (const MachineCommand& command : kMachineCommands) {
        lines << indented(command.help);
    }
    for (const FacilityDescription& facility : facilities) {
        for (const ToolVerb& verb : facility.verbs) {
            lines << indented(verb.help);
        }
    }
    lines << QString() << QStringLiteral("Facilities: ") + facilityNames.join(QStringLiteral(", "))
          << QStringLiteral("Programs: ") + programs.join(QStringLiteral(", "));
    return lines.join(QLatin1Char('\n'));
}

// The verb whose name (one or more words) the command starts with; of several, the one with
// the most words, so that "net connections" and a plain "net" of another facility both work.
// `used` receives the number of words the name took.
const ToolVerb* findVerb(const Facilities& facilities, const QStringList& words, int& used) {
    const ToolVerb* best = nullptr;
    used = 0;
    for (const FacilityDescription& facility : facilities) {
        for (const ToolVerb& verb : facility.verbs) {
            const QStringList name =
                QString::fromUtf8(verb.name).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (name.size() > used && name.size() <= words.size() &&
                words.mid(0, name.size()) == name) {
                best = &verb;
                used = name.size();
            }
        }
    }
    return best;
}

// A facility's verb acts on the PC, created from the default profile on first use.
int runVerb(const ToolVerb& verb, const QStringList& words, const tool::Context& context) {
    SimulatedPc pc(context.machineDirectory, context.facilities, SimulatedPc::Open::SeedIfEmpty);
    if (!pc.isOpen()) {
        return toolFailure(context.io, pc.error());
    }
    return verb.run(words, pc, context.io);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvanta-sim"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Facilities& facilities = registeredFacilities();

    QCommandLineParser parser;
    parser.setApplicationDescription(description(facilities));
    parser.addHelpOption();
    const QCommandLineOption machineOption(QStringLiteral("machine"),
                                           QStringLiteral("The simulated PC's folder."),
                                           QStringLiteral("DIR"));
    parser.addOption(machineOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("See above."));
    // Options after the command belong to the command (and to the programs it runs).
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "corvanta-sim: " << parser.errorText() << Qt::endl;
        return 1;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return 0;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        err << "corvanta-sim: no command given (see --help)" << Qt::endl;
        return 1;
    }
    const QString name = words.first();
    const tool::Context context{
        parser.isSet(machineOption) ? parser.value(machineOption) : Machine::configuredDirectory(),
        facilities,
        {out, err}};
    for (const MachineCommand& command : kMachineCommands) {
        if (name == QLatin1String(command.name)) {
            return command.run(words.mid(1), context);
        }
    }
    int used = 0;
    if (const ToolVerb* verb = findVerb(facilities, words, used)) {
        return runVerb(*verb, words.mid(used), context);
    }
    err << "corvanta-sim: unknown command " << name << " (see --help)" << Qt::endl;
    return 1;
}
