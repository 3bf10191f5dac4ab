#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "platform/sim/core/SimFileSystem.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/core/SystemFacts.h"

namespace platform::sim {

struct Profile;
struct FacilityDescription;
using Facilities = std::vector<FacilityDescription>;

// One simulated Windows PC on disk:
//   <directory>/state/<facility>.json   the state documents (see StateStore)
//   <directory>/drive_c/...             drive C: (see SimFileSystem)
class Machine {
public:
    // The environment variable that names the machine folder of a process and its children.
    static constexpr const char* kDirectoryVariable = "CORVANTA_MACHINE";

    // $CORVANTA_MACHINE when set, else the per-user default.
    static QString configuredDirectory();
    // <generic data location>/corvanta/machine.
    static QString defaultDirectory();

    // Opens an existing machine, checking every state document with its facility; the error
    // names the file at fault.
    static std::unique_ptr<Machine> open(const QString& directory, const Facilities& facilities,
                                         QString& error);
    // As open(), but a directory that does not exist or is empty is first created from the
    // default profile (the first use of a machine).
    static std::unique_ptr<Machine> openOrSeed(const QString& directory,
                                               const Facilities& facilities, QString& error);
    // A machine that could not be opened: its store refuses every access with `reason`, and
    // its facts deny elevation.
    static std::unique_ptr<Machine> refusing(const QString& directory, const QString& reason);

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
    Machine(const QString& directory, StateStore store);
    bool checkState(const Facilities& facilities, QString& error);

    QString m_directory;
    StateStore m_store;
    SimFileSystem m_fileSystem;
    SystemFacts m_system;
};

}  // namespace platform::sim
