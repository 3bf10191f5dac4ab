// corvanta-sim printer ...: changes to the print queues as a person at the PC would make them.
#include <QCommandLineParser>

#include "platform/sim/spooler/SpoolerCommands.h"

#include "platform/sim/spooler/PrintersProfileSection.h"

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/spooler/SimSpooler.h"
#include "platform/sim/spooler/SpoolerDocument.h"
#include "platform/sim/spooler/SpoolerEditor.h"

namespace platform::sim::spooler {

namespace {

constexpr const char* kDefaultDriver = "Microsoft PS Class Driver";
constexpr const char* kDefaultPort = "PORTPROMPT:";

// "0x80", "128", "error,offline" or "ready" (0).
bool parseStatus(const QString& text, std::uint32_t& status) {
    bool ok = false;
    status = text.toUInt(&ok, 0);
    if (ok) {
        return true;
    }
    status = 0;
    if (text.compare(QLatin1String("ready"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    for (const QString& word : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        std::uint32_t bit = 0;
        if (!printerStatusBit(word.trimmed(), bit)) {
            return false;
        }
        status |= bit;
    }
    return true;
}

struct Verb {
    const char* name;
    int arguments;  // positional arguments after the verb
    const char* usage;
};

constexpr Verb kVerbs[] = {
    {"add", 1, "printer add NAME [--driver D] [--port P] [--shared SHARE]"},
    {"remove", 1, "printer remove NAME"},
    {"rename", 2, "printer rename NAME NEWNAME"},
    {"pause", 1, "printer pause NAME"},
    {"resume", 1, "printer resume NAME"},
    {"status", 2, "printer status NAME STATUS (ready, a number, or names: error,offline,...)"},
    {"job", 1, "printer job NAME [--document D] [--pages N] [--user U]"},
    {"share", 1, "printer share NAME [--shared SHARE]"},
    {"unshare", 1, "printer unshare NAME"},
    {"default", 1, "printer default NAME"},
};

QString usage() {
    QStringList lines;
    for (const Verb& verb : kVerbs) {
        lines << QLatin1String(verb.usage);
    }
    return QStringLiteral("usage: corvanta-sim ") + lines.join(QStringLiteral(" | "));
}

struct Options {
    QCommandLineOption driver{QStringLiteral("driver"), QString(), QStringLiteral("D"),
                              QLatin1String(kDefaultDriver)};
    QCommandLineOption port{QStringLiteral("port"), QString(), QStringLiteral("P"),
                            QLatin1String(kDefaultPort)};
    QCommandLineOption shared{QStringLiteral("shared"), QString(), QStringLiteral("SHARE")};
    QCommandLineOption document{QStringLiteral("document"), QString(), QStringLiteral("D"),
                                QStringLiteral("Document")};
    QCommandLineOption pages{QStringLiteral("pages"), QString(), QStringLiteral("N"),
                             QStringLiteral("1")};
    QCommandLineOption user{QStringLiteral("user"), QString(), QStringLiteral("U")};
};

win32::Error addQueue(SpoolerEditor& editor, const QString& name, const QCommandLineParser& parser,
                      const Options& options) {
    QJsonObject queue{{spooler::key::kName, name},
                      {spooler::key::kDriver, parser.value(options.driver)},
                      {spooler::key::kPort, parser.value(options.port)}};
    win32::Error error = editor.addQueue(queue);
    if (error == win32::kSuccess && parser.isSet(options.shared)) {
        error = editor.share(name, parser.value(options.shared));
    }
    return error;
}

win32::Error runVerb(const QString& verb, const QStringList& words,
                     const QCommandLineParser& parser, const Options& options, Machine& machine,
                     SpoolerEditor& editor) {
    const QString& name = words.value(0);
    if (verb == QLatin1String("add")) {
        return addQueue(editor, name, parser, options);
    }
    if (verb == QLatin1String("remove")) {
        return editor.removeQueue(name);
    }
    if (verb == QLatin1String("rename")) {
        return editor.renameQueue(name, words.value(1));
    }
    if (verb == QLatin1String("pause")) {
        return editor.changeStatus(name, spool::kStatusPaused, 0);
    }
    if (verb == QLatin1String("resume")) {
        return editor.changeStatus(name, 0, spool::kStatusPaused);
    }
    if (verb == QLatin1String("share")) {
        return editor.share(name, parser.value(options.shared));
    }
    if (verb == QLatin1String("unshare")) {
        return editor.unshare(name);
    }
    if (verb == QLatin1String("default")) {
        return editor.setDefaultPrinter(name);
    }
    if (verb == QLatin1String("job")) {
        SpoolerEditor::JobRequest request;
        request.document = parser.value(options.document);
        bool counted = false;
        request.pages = parser.value(options.pages).toUInt(&counted);
        if (!counted) {
            return win32::kInvalidParameter;  // "--pages abc" must not become a 0-page job
        }
        request.user =
            parser.isSet(options.user) ? parser.value(options.user) : machine.system().userName;
        request.machine = QStringLiteral("\\\\") + machine.system().computerName;
        return editor.addJob(name, request);
    }
    std::uint32_t status = 0;
    if (!parseStatus(words.value(1), status)) {
        return win32::kInvalidParameter;
    }
    return editor.setStatus(name, status);
}

const Verb* findVerb(const QString& name) {
    for (const Verb& verb : kVerbs) {
        if (name == QLatin1String(verb.name)) {
            return &verb;
        }
    }
    return nullptr;
}

}  // namespace

int runPrinterVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo context) {
    const Verb* verb = findVerb(arguments.value(0));
    if (verb == nullptr) {
        return toolFailure(context, usage());
    }
    Options options;
    QCommandLineParser parser;
    parser.addOptions({options.driver, options.port, options.shared, options.document,
                       options.pages, options.user});
    if (!parser.parse(QStringList{QStringLiteral("printer")} + arguments)) {
        return toolFailure(context, parser.errorText());
    }
    const QStringList words = parser.positionalArguments().mid(1);
    if (words.size() != verb->arguments) {
        return toolFailure(context,
                           QStringLiteral("usage: corvanta-sim ") + QLatin1String(verb->usage));
    }
    Machine& machine = pc.machine();
    SpoolerEditor editor = editorFor(pc);
    const win32::Error result =
        runVerb(QLatin1String(verb->name), words, parser, options, machine, editor);
    if (result != win32::kSuccess) {
        const QString detail =
            editor.detail().isEmpty() ? QString() : QStringLiteral(": ") + editor.detail();
        return toolFailure(context, QStringLiteral("printer %1 failed with error %2%3")
                                        .arg(QLatin1String(verb->name))
                                        .arg(result)
                                        .arg(detail));
    }
    return 0;
}

}  // namespace platform::sim::spooler
