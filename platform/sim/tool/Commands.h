#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// The commands of corvanta-sim. Each gets the words after its name and answers the exit code;
// errors are one line on `err`.
namespace platform::sim::tool {

struct Context {
    QString machineDirectory;  // from --machine, else $CORVANTA_MACHINE or the default
    QTextStream& out;
    QTextStream& err;
};

int runCreate(const QStringList& arguments, const Context& context);
int runShow(const QStringList& arguments, const Context& context);
int runReg(const QStringList& arguments, const Context& context);
int runProfiles(const QStringList& arguments, const Context& context);
int runProgram(const QStringList& arguments, const Context& context);
int runPrinter(const QStringList& arguments, const Context& context);

// Shared by the commands: prints `error` as one line and answers 1.
int fail(const Context& context, const QString& error);

}  // namespace platform::sim::tool
