// The simulated PC's local security policy: user rights and the accounts that hold them.
#include <QTextStream>

#include "platform/LocalUsers.h"
#include "platform/Lsa.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/lsa/LsaDocument.h"
#include "platform/sim/lsa/SimLsa.h"

namespace platform::sim {

namespace {

using namespace lsa;

bool parseLsaSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                     QString& error) {
    LsaState state;
    if (!section.isObject()) {
        error = QStringLiteral("%1: expected an object").arg(path);
        return false;
    }
    if (!readLsaState(section.toObject(), path, state, error)) {
        return false;
    }
    document = lsaStateJson(state);
    return true;
}

bool checkLsa(const QJsonObject& document, QString& error) {
    LsaState state;
    return readLsaState(document, QLatin1String(kLsaFacility), state, error);
}

bool showLsa(const QJsonObject& document, QTextStream& out, QString& error) {
    LsaState state;
    if (!readLsaState(document, QLatin1String(kLsaFacility), state, error)) {
        return false;
    }
    out << "  machine SID: " << state.machineSid << '\n';
    for (auto it = state.rights.begin(); it != state.rights.end(); ++it) {
        out << "  " << it.key() << ": "
            << (it.value().isEmpty() ? QStringLiteral("(nobody)")
                                     : it.value().join(QStringLiteral(", ")))
            << '\n';
    }
    return true;
}

// rights add|remove RIGHT ACCOUNT: as the local security policy editor would change them,
// through the PC's own LSA so that names resolve as Windows resolves them.
int runRightsVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString action = arguments.value(0);
    if (arguments.size() != 3 ||
        (action != QLatin1String("add") && action != QLatin1String("remove"))) {
        return toolFailure(io, QStringLiteral("use rights add|remove RIGHT ACCOUNT"));
    }
    const QString right = arguments.at(1);
    if (knownRightName(right).isEmpty()) {
        return toolFailure(io, QStringLiteral("no such user right: %1").arg(right));
    }
    Lsa& lsa = pc.get<Lsa>();
    SidString sid;
    AccountName account;
    if (lsa.lookupName(arguments.at(2).toStdWString(), sid, account) != win32::kSuccess) {
        return toolFailure(io, QStringLiteral("no such account: %1").arg(arguments.at(2)));
    }
    // The tool acts as the administrator, whatever the PC's own processes may do.
    auto administrator = makeSimLsa(pc.machine().store(), true, pc.machine().system().computerName,
                                    pc.get<LocalUsers>());
    std::unique_ptr<LsaPolicy> policy;
    lsaapi::NtStatus status = administrator->openPolicy(platform::lsaapi::kPolicyAllAccess, policy);
    if (status == platform::lsaapi::kStatusSuccess) {
        status = action == QLatin1String("add") ? policy->addRight(sid, right.toStdWString())
                                                : policy->removeRight(sid, right.toStdWString());
    }
    if (status == platform::lsaapi::kStatusObjectNameNotFound) {
        status = platform::lsaapi::kStatusSuccess;  // holds no right at all: nothing to remove
    }
    if (status != platform::lsaapi::kStatusSuccess) {
        return toolFailure(io, QStringLiteral("the user right could not be changed: error %1")
                                   .arg(platform::lsaapi::ntStatusToWinError(status)));
    }
    return 0;
}

void buildLsa(SimulatedPc& pc) {
    pc.provide<Lsa>(makeSimLsa(pc.machine().store(), pc.machine().system().elevated,
                               pc.machine().system().computerName, pc.get<LocalUsers>()));
}

}  // namespace

FacilityDescription describeLsaFacility() {
    FacilityDescription facility;
    facility.name = QLatin1String(kLsaFacility);
    facility.profileSections = {
        {QLatin1String(kLsaFacility), QLatin1String(kLsaFacility), false, parseLsaSection}};
    facility.checkDocument = checkLsa;
    facility.show = showLsa;
    facility.verbs = {
        {"rights",
         "rights add|remove RIGHT ACCOUNT\n"
         "                           grant or take a user right (SeNetworkLogonRight, ...)",
         runRightsVerb},
    };
    facility.build = buildLsa;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Lsa& lsa() {
    return sim::processPc().get<Lsa>();
}

}  // namespace platform
