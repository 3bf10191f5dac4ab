#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

namespace platform::sim::lsa {

constexpr const char* kLsaFacility = "lsa";

// The PC's local security policy: the machine's SID (local accounts are it plus their relative
// id) and which accounts hold each user right. The "lsa" profile section and state document:
//
//   "lsa": {
//       "machineSid": "S-1-5-21-1004336348-1177238915-682003330",
//       "rights": {
//           "SeNetworkLogonRight": ["Everyone", "BUILTIN\\Administrators", "BUILTIN\\Users"],
//           "SeDenyNetworkLogonRight": ["Guest"]
//       }
//   }
//
// An account is a name ("Guest", "BUILTIN\\Guests", "Everyone") or a SID ("S-1-5-21-...-1005",
// also the SID of an account that no longer exists). Right names are those Windows knows.
struct LsaState {
    QString machineSid;
    QMap<QString, QStringList> rights;  // right name as Windows spells it -> accounts
};

bool readLsaState(const QJsonObject& object, const QString& path, LsaState& state, QString& error);
QJsonObject lsaStateJson(const LsaState& state);

// The right's name as Windows spells it ("SeNetworkLogonRight"), found without regard to case;
// empty for a name Windows does not know.
QString knownRightName(const QString& name);

bool isSidString(const QString& text);

}  // namespace platform::sim::lsa
