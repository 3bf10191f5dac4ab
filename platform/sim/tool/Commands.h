#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "platform/sim/core/Facility.h"

// The machine-wide commands of corvanta-sim (create, show, profiles, program); the facilities
// add their own verbs. Each gets the words after its name and answers the exit code; errors are
// one line on `err`.
namespace platform::sim::tool {

struct Context {
    QString machineDirectory;  // from --machine, else $CORVANTA_MACHINE or the default
    const Facilities& facilities;
    ProgramIo io;
};

int runCreate(const QStringList& arguments, const Context& context);
int runShow(const QStringList& arguments, const Context& context);
int runProfiles(const QStringList& arguments, const Context& context);
int runProgram(const QStringList& arguments, const Context& context);

}  // namespace platform::sim::tool
