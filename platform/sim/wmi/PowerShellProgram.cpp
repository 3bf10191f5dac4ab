#include "platform/sim/wmi/PowerShellProgram.h"

#include <QJsonArray>
#include <QThread>

#include "platform/sim/core/Machine.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/core/Wow64Program.h"
#include "platform/sim/wmi/WmiProfileSection.h"

namespace platform::sim {

namespace {

// Win32_OptionalFeature.InstallState.
constexpr int kInstallStateEnabled = 1;
constexpr int kInstallStateDisabled = 2;

const QLatin1String kFeatureClass("Win32_OptionalFeature");
const QLatin1String kClasses("classes");
const QLatin1String kName("Name");
const QLatin1String kInstallState("InstallState");

// What PowerShell prints for a cmdlet error: the cmdlet, the message, and exit code 1.
int cmdletError(ProgramIo io, const QString& cmdlet, const QString& message) {
    io.err << cmdlet << " : " << message << '\n'
           << "    + CategoryInfo          : NotSpecified: (:) [" << cmdlet << "], COMException\n"
           << "    + FullyQualifiedErrorId : Microsoft.Dism.Commands."
           << QString(cmdlet).remove('-') << "Command\n";
    io.err.flush();
    return 1;
}

// The value after `-Name`, matched without regard to case; empty when absent.
QString optionValue(const QStringList& words, const char* option) {
    for (int i = 0; i + 1 < words.size(); ++i) {
        if (words.at(i).compare(QLatin1String(option), Qt::CaseInsensitive) == 0) {
            return words.at(i + 1);
        }
    }
    return QString();
}

bool hasSwitch(const QStringList& words, const char* option) {
    return words.contains(QLatin1String(option), Qt::CaseInsensitive);
}

// Sets the feature's InstallState in the WMI document; false when the PC has no such feature.
bool setInstallState(SimulatedPc& pc, const QString& feature, int state, QString& error) {
    bool found = false;
    const bool written = pc.machine().store().update(
        QLatin1String(kWmiFacility),
        [&](QJsonObject& document) {
            QJsonObject classes = document.value(kClasses).toObject();
            for (auto it = classes.begin(); it != classes.end(); ++it) {
                if (it.key().compare(kFeatureClass, Qt::CaseInsensitive) != 0) {
                    continue;
                }
                QJsonArray objects = it.value().toArray();
                for (int i = 0; i < objects.size(); ++i) {
                    QJsonObject object = objects.at(i).toObject();
                    if (object.value(kName).toString().compare(feature, Qt::CaseInsensitive) == 0) {
                        found = true;
                        object.insert(kInstallState, state);
                        objects.replace(i, object);
                    }
                }
                it.value() = objects;
            }
            if (!found) {
                return false;
            }
            document.insert(kClasses, classes);
            return true;
        },
        error);
    return written && found;
}

int changeFeature(const QString& cmdlet, const QStringList& words, SimulatedPc& pc, ProgramIo io) {
    const bool enable = cmdlet.startsWith(QLatin1String("Enable"), Qt::CaseInsensitive);
    if (!hasSwitch(words, "-Online")) {
        return cmdletError(io, cmdlet,
                           QStringLiteral("One of the parameters Online or Path is required."));
    }
    const QString feature = optionValue(words, "-FeatureName");
    if (feature.isEmpty()) {
        return cmdletError(io, cmdlet,
                           QStringLiteral("Missing an argument for parameter 'FeatureName'."));
    }
    if (!pc.machine().system().elevated) {
        return cmdletError(io, cmdlet,
                           QStringLiteral("The requested operation requires elevation."));
    }
    QThread::msleep(kFeatureChangeMs);
    QString error;
    if (!setInstallState(pc, feature, enable ? kInstallStateEnabled : kInstallStateDisabled,
                         error)) {
        return cmdletError(
            io, cmdlet,
            error.isEmpty() ? QStringLiteral("Feature name %1 is unknown.").arg(feature) : error);
    }
    // The result object as PowerShell formats it when the output is not a console.
    io.out << "\n\nPath          : \nOnline        : True\nRestartNeeded : True\n\n\n\n";
    io.out.flush();
    return 0;
}

}  // namespace

int runFeatureVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString state = arguments.value(1);
    if (arguments.size() != 2 || (state != QLatin1String("on") && state != QLatin1String("off"))) {
        return toolFailure(io, QStringLiteral("use feature NAME on|off"));
    }
    QString error;
    if (!setInstallState(
            pc, arguments.at(0),
            state == QLatin1String("on") ? kInstallStateEnabled : kInstallStateDisabled, error)) {
        return toolFailure(
            io, error.isEmpty()
                    ? QStringLiteral("the PC has no optional feature %1").arg(arguments.at(0))
                    : error);
    }
    return 0;
}

int runPowerShell(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    // PowerShell's own options come first; the rest is the command.
    QStringList words = arguments;
    while (!words.isEmpty() && words.first().startsWith(QLatin1Char('-'))) {
        const QString option = words.takeFirst();
        if (option.compare(QLatin1String("-Command"), Qt::CaseInsensitive) == 0) {
            break;
        }
        if (option.compare(QLatin1String("-ExecutionPolicy"), Qt::CaseInsensitive) == 0 &&
            !words.isEmpty()) {
            words.removeFirst();
        }
    }
    if (words.size() == 1 && words.first().contains(QLatin1Char(' '))) {
        words = words.first().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    const QString cmdlet = words.value(0);
    if (cmdlet.compare(QLatin1String("Enable-WindowsOptionalFeature"), Qt::CaseInsensitive) == 0 ||
        cmdlet.compare(QLatin1String("Disable-WindowsOptionalFeature"), Qt::CaseInsensitive) == 0) {
        if (runsAsWow64Program()) {
            // DISM of 32 bits does not service a running 64-bit system.
            io.err << cmdlet
                   << " : An attempt was made to load a program with an incorrect format.\n";
            io.err.flush();
            return 1;
        }
        return changeFeature(cmdlet, words.mid(1), pc, io);
    }
    if (cmdlet.isEmpty()) {
        return 0;
    }
    io.err << cmdlet << " : The term '" << cmdlet
           << "' is not recognized as the name of a cmdlet, function, script file, or operable "
              "program.\n";
    io.err.flush();
    return 1;
}

}  // namespace platform::sim
