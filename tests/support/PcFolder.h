#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "platform/sim/core/SimulatedPc.h"

// A simulated PC made from a profile in a temporary folder, removed with the object. Tests
// open it as the programs do, as a SimulatedPc with every registered facility (pc()), or point
// a program at directory().
class PcFolder {
public:
    // tests/fixtures/<name>.json.
    static std::unique_ptr<PcFolder> fromFixture(const QString& name);
    // Profile text (a JSON object, as in a profile file).
    static std::unique_ptr<PcFolder> fromText(const QByteArray& text);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString directory() const { return m_folder->path() + QStringLiteral("/machine"); }
    QString stateFile(const QString& facility) const;

    // The PC as it was opened when the folder was made; open() opens it anew.
    platform::sim::SimulatedPc& pc();
    std::unique_ptr<platform::sim::SimulatedPc> open() const;

private:
    PcFolder();
    void create(const QByteArray& text, const QString& source);

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_error;
    std::unique_ptr<platform::sim::SimulatedPc> m_pc;
};

// Makes a PC from the fixture the process's PC, the one platform::spooler() and the other
// accessors serve, for tests of code that uses them. The first call decides; later calls
// answer the same PC.
platform::sim::SimulatedPc& fixtureAsProcessPc(const QString& name);

// The text of tests/fixtures/<name>.json; empty when it cannot be read.
QByteArray fixtureText(const QString& name);

// A profile text with `count` local queues named "Queue 1", "Queue 2", ...
QByteArray profileWithQueues(int count, bool spoolerRunning = true);
