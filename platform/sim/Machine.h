#pragma once

#include <QString>

#include <memory>

#include "SimFileSystem.h"
#include "StateStore.h"
#include "SystemFacts.h"

namespace platform::sim {

struct Profile;

// One simulated Windows PC on disk:
//   <directory>/state/<facility>.json   the state documents (see StateStore)
//   <directory>/drive_c/...             drive C: (see SimFileSystem)
class Machine {
public:
    // $CORVANTA_MACHINE when set, else the per-user default.
    static QString configuredDirectory();
    // <generic data location>/corvanta/machine.
    static QString defaultDirectory();

    // Opens an existing machine; the error names the file at fault.
    static std::unique_ptr<Machine> open(const QString& directory, QString& error);
    // As open(), but a directory that does not exist or is empty is first created from the
    // default profile (the first use of a machine).
    static std::unique_ptr<Machine> openOrSeed(const QString& directory, QString& error);

    // Builds the machine beside `directory` and moves it into place in one rename, so a failure
    // creates nothing and a concurrent creator never sees half a machine. `replace` allows an
    // existing machine to be replaced; a folder that holds something else is never touched.
    static bool create(const QString& directory, const Profile& profile, bool replace,
                       QString& error);

    static bool isMachine(const QString& directory);
    // Where the machine in `directory` keeps its state documents.
    static QString stateDirectory(const QString& directory);

    QString directory() const { return m_directory; }
    StateStore& store() { return m_store; }
    const StateStore& store() const { return m_store; }
    const SystemFacts& system() const { return m_system; }
    const SimFileSystem& fileSystem() const { return m_fileSystem; }

private:
    explicit Machine(const QString& directory);
    bool checkState(QString& error);

    QString m_directory;
    StateStore m_store;
    SimFileSystem m_fileSystem;
    SystemFacts m_system;
};

}  // namespace platform::sim
