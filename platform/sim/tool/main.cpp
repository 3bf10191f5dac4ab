// corvanta-sim: creates, shows and drives a simulated Windows PC, as a person or Windows would.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "Commands.h"
#include "platform/sim/Machine.h"

namespace {

using platform::sim::tool::Context;

const char* kDescription =
    "Creates, shows and changes a simulated Windows PC.\n"
    "\n"
    "The PC is the folder given by --machine, else $CORVANTA_MACHINE, else the per-user\n"
    "default (created from the win10 profile on first use).\n"
    "\n"
    "Commands:\n"
    "  create [--profile NAME|FILE] [--force] [DIR]\n"
    "                             create a PC from a profile (default win10) in DIR or the\n"
    "                             machine folder; --force replaces an existing PC\n"
    "  show [FACILITY]            the state of every facility, or of one (system, registry)\n"
    "  reg query KEY [VALUE]      a key's values and subkeys, or one value\n"
    "  reg set KEY VALUE TYPE DATA\n"
    "                             set a value (TYPE REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ with\n"
    "                             strings separated by \\0, REG_DWORD, REG_QWORD, REG_BINARY as\n"
    "                             hex); KEY starts with HKLM, HKCU or HKCC (or their long names)\n"
    "  reg delete KEY [VALUE]     delete a value, or a key with everything below it\n"
    "  profiles                   the bundled profiles\n"
    "  program NAME [ARGS...]     run a Windows program of the simulated PC\n"
    "                             (shutdown, explorer, rundll32, mmc, control)\n"
    "  printer VERB NAME ...      change a print queue: add, remove, rename, pause, resume,\n"
    "                             status, job, share, unshare, default";

struct Command {
    const char* name;
    int (*run)(const QStringList&, const Context&);
};

constexpr Command kCommands[] = {
    {"create", platform::sim::tool::runCreate},   {"show", platform::sim::tool::runShow},
    {"reg", platform::sim::tool::runReg},         {"profiles", platform::sim::tool::runProfiles},
    {"program", platform::sim::tool::runProgram}, {"printer", platform::sim::tool::runPrinter},
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvanta-sim"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription));
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
    const QString name = words.takeFirst();
    const Context context{parser.isSet(machineOption)
                              ? parser.value(machineOption)
                              : platform::sim::Machine::configuredDirectory(),
                          out, err};
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            return command.run(words, context);
        }
    }
    err << "corvanta-sim: unknown command " << name << " (see --help)" << Qt::endl;
    return 1;
}
