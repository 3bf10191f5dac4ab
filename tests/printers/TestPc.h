#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "platform/Spooler.h"
#include "platform/sim/Machine.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/spooler/SpoolerEditor.h"

// A simulated PC of its own for one test, with a spooler on it: a bundled profile's PC or one
// described by profile text.
class TestPc {
public:
    static std::unique_ptr<TestPc> fromProfile(const QString& profileName);
    static std::unique_ptr<TestPc> fromProfileText(const QByteArray& text);

    platform::Spooler& spooler() { return *m_spooler; }
    platform::sim::spooler::SpoolerEditor editor();
    QString directory() const { return m_directory; }
    QString error() const { return m_error; }
    bool isValid() const { return m_spooler != nullptr; }

private:
    bool create(const platform::sim::Profile& profile);

    QTemporaryDir m_root;
    QString m_directory;
    QString m_error;
    std::unique_ptr<platform::sim::Machine> m_machine;
    std::unique_ptr<platform::sim::SimRegistry> m_registry;
    std::unique_ptr<platform::sim::SimFileSystem> m_fileSystem;
    std::unique_ptr<platform::Spooler> m_spooler;
};

// A profile text with `count` local queues named "Queue 1", "Queue 2", ...
QByteArray profileWithQueues(int count, bool spoolerRunning = true);
