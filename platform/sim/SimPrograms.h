#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace platform::sim {

class Machine;

// The Windows programs of the simulated PC (shutdown, and later rundll32, mmc, control,
// powershell, ...). Each applies its effect to the machine and ends with the exit code the real
// program gives. `name` may be a path and may carry ".exe"; letter case does not matter.
struct ProgramIo {
    QTextStream& out;
    QTextStream& err;
};

bool isSimProgram(const QString& name);
QStringList simProgramNames();
// An unknown program prints one line and answers 1.
int runSimProgram(const QString& name, const QStringList& arguments, Machine& machine,
                  ProgramIo io);

}  // namespace platform::sim
