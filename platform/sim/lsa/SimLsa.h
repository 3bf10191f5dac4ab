#pragma once

#include <QString>

#include <memory>

#include "platform/Lsa.h"

namespace platform {
class LocalUsers;
}

namespace platform::sim {

class StateStore;

namespace lsa {

// The LSA of the simulated PC on its "lsa" document, read afresh at each call. Names resolve
// against the well-known accounts, the BUILTIN groups and the PC's local users (whose domain is
// `computerName`). Unreadable state answers STATUS_INTERNAL_DB_CORRUPTION.
std::unique_ptr<Lsa> makeSimLsa(StateStore& store, bool elevated, const QString& computerName,
                                const LocalUsers& users);

}  // namespace lsa
}  // namespace platform::sim
