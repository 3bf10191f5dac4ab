#include "SpoolerPrograms.h"

#include "SimSpooler.h"
#include "SpoolerEditor.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/sim/core/SimulatedPc.h"

namespace platform::sim::spooler {

namespace {

constexpr const char* kPrintUiEntry = "printui.dll,PrintUIEntry";
constexpr const char* kTestPageDocument = "Test Page";
constexpr std::uint32_t kTestPageBytes = 18432;
constexpr int kUnknownEntryExit = 1;

// The queue named by /n: "/nName" (quotes already removed by the command line) or "/n Name".
QString queueName(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word.compare(QLatin1String("/n"), Qt::CaseInsensitive) == 0) {
            return arguments.value(i + 1);
        }
        if (word.startsWith(QLatin1String("/n"), Qt::CaseInsensitive)) {
            return word.mid(2);
        }
    }
    return {};
}

bool hasOption(const QStringList& arguments, const char* option) {
    return arguments.contains(QLatin1String(option), Qt::CaseInsensitive);
}

int printTestPage(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString queue = queueName(arguments);
    // Printing goes through the spooler: with the spooler stopped there is no job (1722).
    std::unique_ptr<PrinterHandle> handle;
    const win32::Error reachable =
        pc.get<Spooler>().openPrinter(queue.toStdWString(), spool::kAccessUse, handle);
    if (reachable != win32::kSuccess) {
        io.err << QStringLiteral("printui: cannot print a test page on \"%1\" (error %2)")
                      .arg(queue)
                      .arg(reachable)
               << Qt::endl;
        return 0;
    }
    SpoolerEditor editor = editorFor(pc);
    SpoolerEditor::JobRequest request;
    request.document = QLatin1String(kTestPageDocument);
    request.user = pc.machine().system().userName;
    request.machine = QStringLiteral("\\\\") + pc.machine().system().computerName;
    request.size = kTestPageBytes;
    const win32::Error error = editor.addJob(queue, request);
    if (error != win32::kSuccess) {
        // printui shows its error in a message box; rundll32 itself still ends with 0.
        io.err << QStringLiteral("printui: cannot print a test page on \"%1\" (error %2)")
                      .arg(queue)
                      .arg(error)
               << Qt::endl;
    }
    return 0;
}

int recordRequest(const QString& program, const QStringList& arguments, SimulatedPc& pc,
                  ProgramIo io) {
    const win32::Error error = editorFor(pc).recordUiRequest(program, arguments);
    if (error != win32::kSuccess) {
        io.err << QStringLiteral("%1: cannot record the request (error %2)").arg(program).arg(error)
               << Qt::endl;
        return 1;
    }
    return 0;
}

}  // namespace

int runRundll32(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    if (arguments.isEmpty() ||
        arguments.first().compare(QLatin1String(kPrintUiEntry), Qt::CaseInsensitive) != 0) {
        io.err << QStringLiteral("rundll32: no entry point %1 on the simulated PC")
                      .arg(arguments.value(0))
               << Qt::endl;
        return kUnknownEntryExit;
    }
    const QStringList options = arguments.mid(1);
    if (hasOption(options, "/k")) {
        return printTestPage(options, pc, io);
    }
    return recordRequest(QStringLiteral("printui"), options, pc, io);
}

int runMmc(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    return recordRequest(QStringLiteral("mmc"), arguments, pc, io);
}

int runControl(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    return recordRequest(QStringLiteral("control"), arguments, pc, io);
}

}  // namespace platform::sim::spooler
