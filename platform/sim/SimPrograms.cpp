#include "SimPrograms.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <array>
#include <cstdint>

#include "Machine.h"
#include "SystemFacts.h"
#include "spooler/SpoolerPrograms.h"

namespace platform::sim {

namespace {

using Program = int (*)(const QStringList& arguments, Machine& machine, ProgramIo io);

// InitiateShutdown flags and SHTDN_REASON_* bits, as shutdown.exe passes them.
constexpr std::uint32_t kShutdownForceOthers = 0x1;
constexpr std::uint32_t kShutdownForceSelf = 0x2;
constexpr std::uint32_t kShutdownRestart = 0x4;
constexpr std::uint32_t kShutdownPowerOff = 0x8;
constexpr std::uint32_t kShutdownRestartApps = 0x80;
constexpr std::uint32_t kReasonPlanned = 0x80000000;
constexpr std::uint32_t kReasonUserDefined = 0x40000000;
constexpr int kInvalidParameterExit = 87;
constexpr int kLongestDelaySeconds = 315360000;

struct ShutdownRequest {
    std::uint32_t flags = 0;
    std::uint32_t reason = 0;
    bool abort = false;
};

// "[p|u:]major:minor" of /d.
bool parseReason(const QString& text, std::uint32_t& reason) {
    static const QRegularExpression form(QStringLiteral("^(?:([pu]+):)?(\\d{1,3}):(\\d{1,5})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    const uint major = match.captured(2).toUInt();
    const uint minor = match.captured(3).toUInt();
    if (!match.hasMatch() || major > 0xFF || minor > 0xFFFF) {
        return false;
    }
    const QString kind = match.captured(1).toLower();
    reason = (major << 16) | minor;
    if (kind.contains(QLatin1Char('p'))) {
        reason |= kReasonPlanned;
    }
    if (kind.contains(QLatin1Char('u'))) {
        reason |= kReasonUserDefined;
    }
    return true;
}

bool parseShutdownArguments(const QStringList& arguments, ShutdownRequest& request,
                            QString& error) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString option = arguments[i].toLower().replace(QLatin1Char('-'), QLatin1Char('/'));
        const bool hasNext = i + 1 < arguments.size();
        if (option == QLatin1String("/r")) {
            request.flags |= kShutdownRestart;
        } else if (option == QLatin1String("/g")) {
            request.flags |= kShutdownRestart | kShutdownRestartApps;
        } else if (option == QLatin1String("/s")) {
            request.flags |= kShutdownPowerOff;
        } else if (option == QLatin1String("/f")) {
            request.flags |= kShutdownForceOthers | kShutdownForceSelf;
        } else if (option == QLatin1String("/a")) {
            request.abort = true;
        } else if (option == QLatin1String("/t") && hasNext) {
            bool ok = false;
            const int delay = arguments[++i].toInt(&ok);
            if (!ok || delay < 0 || delay > kLongestDelaySeconds) {
                error = QStringLiteral("shutdown: invalid time-out %1").arg(arguments[i]);
                return false;
            }
            // A time-out above zero implies /f.
            if (delay > 0) {
                request.flags |= kShutdownForceOthers | kShutdownForceSelf;
            }
        } else if (option == QLatin1String("/d") && hasNext) {
            if (!parseReason(arguments[++i], request.reason)) {
                error = QStringLiteral("shutdown: invalid reason %1").arg(arguments[i]);
                return false;
            }
        } else if (option == QLatin1String("/c") && hasNext) {
            ++i;  // the comment is shown to users only
        } else {
            error = QStringLiteral("shutdown: unsupported argument %1").arg(arguments[i]);
            return false;
        }
    }
    if (!request.abort && (request.flags & (kShutdownRestart | kShutdownPowerOff)) == 0) {
        error = QStringLiteral("shutdown: give /r, /g, /s or /a");
        return false;
    }
    return true;
}

int runShutdown(const QStringList& arguments, Machine& machine, ProgramIo io) {
    ShutdownRequest request;
    QString error;
    if (!parseShutdownArguments(arguments, request, error)) {
        io.err << error << Qt::endl;
        return kInvalidParameterExit;
    }
    if (request.abort) {
        return 0;
    }
    if (!recordRestartRequest(machine.store(), request.flags, request.reason, error)) {
        io.err << "shutdown: " << error << Qt::endl;
        return 1;
    }
    return 0;
}

// explorer.exe: what it was asked to show ("/select,<path>" and the like) is kept in the
// "shell" state, where tests and corvanta-sim see it; a person would see a folder window.
int runExplorer(const QStringList& arguments, Machine& machine, ProgramIo io) {
    QString error;
    const bool recorded = machine.store().update(
        QStringLiteral("shell"),
        [&arguments](QJsonObject& document) {
            QJsonArray requests = document.value(QLatin1String("explorerRequests")).toArray();
            requests.append(arguments.join(QLatin1Char(' ')));
            document.insert(QLatin1String("explorerRequests"), requests);
            return true;
        },
        error);
    if (!recorded) {
        io.err << "explorer: " << error << Qt::endl;
        return 1;
    }
    return 0;
}

struct ProgramEntry {
    const char* name;
    Program run;
};

// Programs are added here as the facilities they act on come into being.
constexpr std::array<ProgramEntry, 5> kPrograms{{
    {"shutdown", runShutdown},
    {"explorer", runExplorer},
    {"rundll32", spooler::runRundll32},
    {"mmc", spooler::runMmc},
    {"control", spooler::runControl},
}};

// "C:\Windows\System32\SHUTDOWN.EXE" -> "shutdown".
QString baseName(const QString& name) {
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    QString base = name.section(separators, -1).toLower();
    if (base.endsWith(QLatin1String(".exe"))) {
        base.chop(4);
    }
    return base;
}

Program findProgram(const QString& name) {
    const QString base = baseName(name);
    for (const ProgramEntry& entry : kPrograms) {
        if (base == QLatin1String(entry.name)) {
            return entry.run;
        }
    }
    return nullptr;
}

}  // namespace

bool isSimProgram(const QString& name) {
    return findProgram(name) != nullptr;
}

QStringList simProgramNames() {
    QStringList names;
    for (const ProgramEntry& entry : kPrograms) {
        names << QLatin1String(entry.name);
    }
    return names;
}

int runSimProgram(const QString& name, const QStringList& arguments, Machine& machine,
                  ProgramIo io) {
    const Program program = findProgram(name);
    if (program == nullptr) {
        io.err << QStringLiteral("%1: not a program of the simulated PC").arg(name) << Qt::endl;
        return 1;
    }
    return program(arguments, machine, io);
}

}  // namespace platform::sim
