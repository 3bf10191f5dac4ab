// The simulated PC's local user accounts (the SAM): names, relative ids and account flags.
#include <QTextStream>

#include "platform/LocalUsers.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/users/SimLocalUsers.h"

namespace platform::sim {

namespace {

using namespace users;

bool parseUsersSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                       QString& error) {
    std::vector<LocalAccount> accounts;
    if (!readAccounts(section, path, accounts, error)) {
        return false;
    }
    document = usersDocument(accounts);
    return true;
}

bool checkUsers(const QJsonObject& document, QString& error) {
    std::vector<LocalAccount> accounts;
    return readUsersDocument(document, accounts, error);
}

bool showUsers(const QJsonObject& document, QTextStream& out, QString& error) {
    std::vector<LocalAccount> accounts;
    if (!readUsersDocument(document, accounts, error)) {
        return false;
    }
    for (const LocalAccount& account : accounts) {
        out << "  " << account.name << " (rid " << account.relativeId << "): "
            << ((account.flags & platform::users::kAccountDisable) ? "disabled" : "enabled")
            << ", flags 0x" << QString::number(account.flags, 16) << '\n';
    }
    return true;
}

// user enable|disable ACCOUNT: as the administrator would in Computer Management.
int runUserVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    if (arguments.size() != 2 ||
        (action != QLatin1String("enable") && action != QLatin1String("disable"))) {
        return toolFailure(io, QStringLiteral("use user enable|disable ACCOUNT"));
    }
    const QString name = arguments.at(1);
    QString failure;
    QString error;
    const bool written = pc.machine().store().update(
        QLatin1String(kUsersFacility),
        [&](QJsonObject& document) {
            std::vector<LocalAccount> accounts;
            if (!readUsersDocument(document, accounts, failure)) {
                return false;
            }
            LocalAccount* account = findAccount(accounts, name);
            if (account == nullptr) {
                failure = QStringLiteral("the PC has no user account %1").arg(name);
                return false;
            }
            if (action == QLatin1String("enable")) {
                account->flags &= ~platform::users::kAccountDisable;
            } else {
                account->flags |= platform::users::kAccountDisable;
            }
            StateStore::replaceKeepingChangeCount(document, usersDocument(accounts));
            return true;
        },
        error);
    if (!written) {
        return toolFailure(io, error);
    }
    return failure.isEmpty() ? 0 : toolFailure(io, failure);
}

void buildUsers(SimulatedPc& pc) {
    pc.provide<LocalUsers>(makeSimLocalUsers(pc.machine().store(), pc.machine().system().elevated));
}

}  // namespace

FacilityDescription describeUsersFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kUsersFacility);
    facility.profileSections = {
        {QLatin1String(kUsersFacility), QLatin1String(kUsersFacility), false, parseUsersSection}};
    facility.checkDocument = checkUsers;
    facility.show = showUsers;
    facility.verbs = {
        {"user", "user enable|disable ACCOUNT  switch a local user account on or off", runUserVerb},
    };
    facility.build = buildUsers;
    return facility;
}

}  // namespace platform::sim

namespace platform {

LocalUsers& localUsers() {
    return sim::processPc().get<LocalUsers>();
}

}  // namespace platform
