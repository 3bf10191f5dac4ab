#pragma once

#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

#include "platform/LocalUsers.h"

namespace platform::sim {

class StateStore;

namespace users {

constexpr const char* kUsersFacility = "users";

// One local account of the PC.
struct LocalAccount {
    QString name;
    std::uint32_t relativeId = 0;
    std::uint32_t flags = platform::users::kScript | platform::users::kNormalAccount;
    QString comment;
};

// The "users" profile section and state document:
//
//   "users": [
//       {"name": "Guest", "rid": 501, "flags": 66147, "comment": "..."}   // flags: usri1_flags
//   ]
//
// In the document the list is under "accounts". Names are unique without regard to case.
bool readAccounts(const QJsonValue& list, const QString& path, std::vector<LocalAccount>& accounts,
                  QString& error);
bool readUsersDocument(const QJsonObject& document, std::vector<LocalAccount>& accounts,
                       QString& error);
QJsonObject usersDocument(const std::vector<LocalAccount>& accounts);
LocalAccount* findAccount(std::vector<LocalAccount>& accounts, const QString& name);

// NetUser* on the "users" document, read afresh at each call. Unreadable state is
// ERROR_REGISTRY_CORRUPT / ERROR_REGISTRY_IO_FAILED, as the SAM lives in the registry.
std::unique_ptr<LocalUsers> makeSimLocalUsers(StateStore& store, bool elevated);

}  // namespace users
}  // namespace platform::sim
