#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/sim/registry/RegistryValue.h"

namespace platform::sim {

// Which accesses the simulated PC refuses below a key (the key itself and everything under it;
// the nearest rule above a key decides).
enum class RegistryAccessRule { Denied, ReadOnly };

struct NamedRegistryValue {
    QString name;  // as first written
    RegistryValue value;
};

struct RegistryKeyEntry {
    QString name;                              // full name, as first written
    QMap<QString, NamedRegistryValue> values;  // by folded value name
};

// The registry of the simulated PC in memory: a flat map from full key names
// ("HKEY_LOCAL_MACHINE\SOFTWARE\...") to keys, names compared without regard to letter case and
// kept in their original case. Every ancestor of a key is present; the three roots always are.
//
// Its JSON form (the "keys" and "access" members of the registry document) is what profiles
// write too:
//   "keys":   {"HKEY_LOCAL_MACHINE\\SOFTWARE\\X": {"Name": <typed value>, ...}, ...}
//   "access": {"HKEY_LOCAL_MACHINE\\SECURITY": "denied" | "readOnly", ...}
class RegistryData {
public:
    RegistryData();

    static QString fold(const QString& name);
    // "HKLM\Software\\X\" -> "HKEY_LOCAL_MACHINE\Software\X": long or short root names, empty
    // components dropped. False for an unknown root.
    static bool canonicalKeyName(const QString& text, QString& fullName);
    static QString fullName(RegistryRoot root, const std::wstring& path);
    // "HKLM\Software\X" -> (LocalMachine, "Software\X"). False for an unknown root.
    static bool splitKeyName(const QString& text, RegistryRoot& root, std::wstring& path);
    static bool isRoot(const QString& fullName);

    bool readKeys(const QJsonObject& keys, const QString& path, QString& error);
    bool readAccess(const QJsonObject& access, const QString& path, QString& error);
    QJsonObject keysJson() const;
    QJsonObject accessJson() const;

    const RegistryKeyEntry* key(const QString& fullName) const;
    RegistryKeyEntry* key(const QString& fullName);
    // The key, created with its missing ancestors in the case given.
    RegistryKeyEntry& ensureKey(const QString& fullName);
    // Last components of the direct subkeys, as stored.
    QStringList subkeyNames(const QString& fullName) const;
    // Full names of the key and everything below it.
    QStringList treeNames(const QString& fullName) const;
    void removeKey(const QString& fullName);

    std::optional<RegistryAccessRule> accessRule(const QString& fullName) const;
    void setAccessRule(const QString& fullName, RegistryAccessRule rule);

private:
    QMap<QString, RegistryKeyEntry> m_keys;                          // by folded full name
    QMap<QString, std::pair<QString, RegistryAccessRule>> m_access;  // by folded full name
};

}  // namespace platform::sim
