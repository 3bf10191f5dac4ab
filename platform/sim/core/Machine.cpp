#include "platform/sim/core/Machine.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Facility.h"
#include "platform/sim/core/KnownFolders.h"
#include "platform/sim/core/Profile.h"

namespace platform::sim {

namespace {

const char* kStateFolder = "state";

bool isEmptyOrMissing(const QString& directory) {
    const QDir dir(directory);
    return !dir.exists() || dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool seedState(const QString& directory, const Profile& profile, QString& error) {
    if (!QDir().mkpath(Machine::stateDirectory(directory))) {
        error = QStringLiteral("cannot create %1").arg(Machine::stateDirectory(directory));
        return false;
    }
    StateStore store(Machine::stateDirectory(directory));
    for (auto it = profile.documents.begin(); it != profile.documents.end(); ++it) {
        if (!store.write(it.key(), it.value(), error)) {
            return false;
        }
    }
    return true;
}

bool seedFolders(const QString& directory, const Profile& profile, QString& error) {
    const SimFileSystem fileSystem(directory);
    for (const QString& folder : seededFolders(profile.system)) {
        const QString host = fileSystem.hostPath(folder);
        if (!QDir().mkpath(host)) {
            error = QStringLiteral("cannot create %1").arg(host);
            return false;
        }
    }
    return true;
}

// rename(2) replaces an empty directory in one step and refuses a non-empty one, which is what
// makes concurrent first uses safe: exactly one seeded machine lands.
bool moveIntoPlace(const QString& from, const QString& to, QString& error) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        error = QStringLiteral("cannot move the new machine to %1: %2")
                    .arg(to, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool replaceMachine(const QString& built, const QString& directory, QString& error) {
    QTemporaryDir old(directory + QStringLiteral(".old-XXXXXX"));
    if (!old.isValid() || !QDir().rmdir(old.path()) ||
        !moveIntoPlace(directory, old.path(), error)) {
        if (error.isEmpty()) {
            error = QStringLiteral("cannot set the old machine %1 aside").arg(directory);
        }
        return false;
    }
    if (!moveIntoPlace(built, directory, error)) {
        QString ignored;
        moveIntoPlace(old.path(), directory, ignored);
        return false;
    }
    return true;  // `old` removes the replaced machine
}

}  // namespace

Machine::Machine(const QString& directory, StateStore store)
    : m_directory(QDir::cleanPath(QDir(directory).absolutePath())),
      m_store(std::move(store)),
      m_fileSystem(m_directory) {}

std::unique_ptr<Machine> Machine::refusing(const QString& directory, const QString& reason) {
    std::unique_ptr<Machine> machine(
        new Machine(directory, StateStore::refusing(stateDirectory(directory), reason)));
    machine->m_system.consentToElevation = false;
    machine->m_system.admin = false;
    machine->m_system.elevated = false;
    return machine;
}

QString Machine::configuredDirectory() {
    const QString configured = qEnvironmentVariable(kDirectoryVariable);
    return configured.isEmpty() ? defaultDirectory() : configured;
}

QString Machine::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/corvanta/machine");
}

bool Machine::isMachine(const QString& directory) {
    return QFileInfo::exists(QDir(Machine::stateDirectory(directory))
                                 .filePath(kSystemFacility + QStringLiteral(".json")));
}

QString Machine::stateDirectory(const QString& directory) {
    return QDir(directory).filePath(QLatin1String(kStateFolder));
}

std::unique_ptr<Machine> Machine::open(const QString& directory, const Facilities& facilities,
                                       QString& error) {
    if (!isMachine(directory)) {
        error = QStringLiteral(
                    "%1 is not a simulated PC (no state/system.json); create one with "
                    "\"corvanta-sim create\"")
                    .arg(directory);
        return nullptr;
    }
    std::unique_ptr<Machine> machine(
        new Machine(directory, StateStore(stateDirectory(QDir(directory).absolutePath()))));
    if (!machine->checkState(facilities, error)) {
        return nullptr;
    }
    return machine;
}

std::unique_ptr<Machine> Machine::openOrSeed(const QString& directory, const Facilities& facilities,
                                             QString& error) {
    if (isEmptyOrMissing(directory)) {
        Profile profile;
        if (!loadProfile(kDefaultProfileName, facilities, profile, error)) {
            return nullptr;
        }
        QString createError;
        // Losing a race to another process seeding the same folder is fine: open its machine.
        if (!create(directory, profile, false, createError) && !isMachine(directory)) {
            error = createError;
            return nullptr;
        }
    }
    return open(directory, facilities, error);
}

bool Machine::create(const QString& directory, const Profile& profile, bool replace,
                     QString& error) {
    const QString target = QDir::cleanPath(QDir(directory).absolutePath());
    const bool exists = !isEmptyOrMissing(target);
    if (exists && !(replace && isMachine(target))) {
        error = isMachine(target)
                    ? QStringLiteral("%1 already holds a simulated PC (--force replaces it)")
                          .arg(target)
                    : QStringLiteral("%1 is not empty and not a simulated PC; not touching it")
                          .arg(target);
        return false;
    }
    const QString parent = QFileInfo(target).path();
    if (!QDir().mkpath(parent)) {
        error = QStringLiteral("cannot create %1").arg(parent);
        return false;
    }
    QTemporaryDir built(target + QStringLiteral(".new-XXXXXX"));
    if (!built.isValid()) {
        error =
            QStringLiteral("cannot create a folder beside %1: %2").arg(target, built.errorString());
        return false;
    }
    if (!seedState(built.path(), profile, error) || !seedFolders(built.path(), profile, error)) {
        return false;
    }
    const bool moved = exists ? replaceMachine(built.path(), target, error)
                              : moveIntoPlace(built.path(), target, error);
    if (moved) {
        built.setAutoRemove(false);
    }
    return moved;
}

// Reads every state document once, so that a corrupt store is reported when the machine opens
// instead of by the first facility that happens to use it.
bool Machine::checkState(const Facilities& facilities, QString& error) {
    if (!readSystemFacts(m_store, m_system, error)) {
        return false;
    }
    const QStringList documents =
        QDir(m_store.directory()).entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString& file : documents) {
        QJsonObject document;
        if (!m_store.read(QFileInfo(file).completeBaseName(), document, error)) {
            return false;
        }
    }
    for (const FacilityDescription& facility : facilities) {
        QJsonObject document;
        if (facility.checkDocument == nullptr) {
            continue;
        }
        if (!m_store.read(facility.name, document, error)) {
            return false;
        }
        if (!facility.checkDocument(document, error)) {
            error =
                QStringLiteral("state file %1: %2").arg(m_store.documentPath(facility.name), error);
            return false;
        }
    }
    return true;
}

}  // namespace platform::sim
