// shutdown.exe of the simulated PC: the PC does not restart, it remembers that it was asked to.
#include "platform/sim/system/ShutdownProgram.h"

#include <QRegularExpression>

#include <cstdint>

#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/core/SystemFacts.h"

namespace platform::sim {

namespace {

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

}  // namespace

int runShutdown(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    ShutdownRequest request;
    QString error;
    if (!parseShutdownArguments(arguments, request, error)) {
        io.err << error << Qt::endl;
        return kInvalidParameterExit;
    }
    if (request.abort) {
        return 0;
    }
    if (!recordRestartRequest(pc.machine().store(), request.flags, request.reason, error)) {
        io.err << "shutdown: " << error << Qt::endl;
        return 1;
    }
    return 0;
}

}  // namespace platform::sim
