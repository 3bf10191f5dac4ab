#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <vector>

#include "Profile.h"

namespace platform::sim {

class SimulatedPc;

// Where a simulated program or a corvanta-sim verb writes: the process's standard streams.
struct ProgramIo {
    QTextStream& out;
    QTextStream& err;
};

// How a corvanta-sim verb reports a failure: "corvanta-sim: <error>" on io.err; answers 1.
int toolFailure(ProgramIo io, const QString& error);

// A Windows program of the simulated PC (rundll32, mmc, shutdown, ...). It applies its effect to
// the PC and answers the exit code the real program gives. `name` is the program's base name in
// lower case, without ".exe".
struct SimProgram {
    const char* name;
    int (*run)(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);
};

// A corvanta-sim verb ("corvanta-sim reg query ..."): the words after the verb, on an open PC
// (seeded from the default profile when its folder is empty). Errors are one line on io.err and
// a non-zero answer.
struct ToolVerb {
    const char* name;
    // The verb's lines in --help: "reg query KEY [VALUE]      a key's values and subkeys".
    const char* help;
    int (*run)(const QStringList& arguments, SimulatedPc& pc, ProgramIo io);
};

// One facility of the simulated PC, described once. Everything that walks the facilities (the
// profile reader, the machine's state check, `corvanta-sim show`, the tool's verbs and help,
// the program table, the platform accessors) reads these descriptions.
struct FacilityDescription {
    // The facility's state document: <machine>/state/<name>.json.
    QString name;
    // The profile sections this facility reads; each writes into a facility's document.
    std::vector<ProfileSection> profileSections;
    // Checks the state document when a machine opens, so a corrupt store is reported then.
    // Optional: parsing as JSON is always checked.
    bool (*checkDocument)(const QJsonObject& document, QString& error) = nullptr;
    // `corvanta-sim show <name>`: the document in words. Optional: the JSON is printed.
    bool (*show)(const QJsonObject& document, QTextStream& out, QString& error) = nullptr;
    std::vector<ToolVerb> verbs;
    std::vector<SimProgram> programs;
    // Builds the facility's interfaces for `pc` (pc.provide<Interface>(...)). Facilities are
    // built in registration order, so a facility may use the interfaces of one registered
    // before it. On a machine that could not be opened this is called all the same: the state
    // store then refuses every read and write, and each call of the facility answers the error
    // its interface documents for state it cannot reach.
    void (*build)(SimulatedPc& pc) = nullptr;
};

using Facilities = std::vector<FacilityDescription>;

// The program of `facilities` that a Windows command names ("C:\Windows\System32\MMC.EXE" is
// mmc), or null.
const SimProgram* findSimProgram(const Facilities& facilities, const QString& name);

}  // namespace platform::sim
