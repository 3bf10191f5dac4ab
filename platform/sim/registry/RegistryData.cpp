#include "platform/sim/registry/RegistryData.h"

#include <QJsonValue>

#include <array>

#include "platform/sim/core/JsonCheck.h"

namespace platform::sim {

namespace {

struct RootName {
    RegistryRoot root;
    const char* longName;
    const char* shortName;
};

constexpr std::array<RootName, 3> kRoots{{
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryRoot::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
}};

constexpr QChar kSeparator = QLatin1Char('\\');

const char* kDeniedName = "denied";
const char* kReadOnlyName = "readOnly";

QString parentName(const QString& fullName) {
    const int last = fullName.lastIndexOf(kSeparator);
    return last < 0 ? QString() : fullName.left(last);
}

QString lastComponent(const QString& fullName) {
    return fullName.mid(fullName.lastIndexOf(kSeparator) + 1);
}

bool readKeyValues(const QJsonObject& values, const QString& path, RegistryKeyEntry& entry,
                   QString& error) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QString folded = RegistryData::fold(it.key());
        if (entry.values.contains(folded)) {
            error = QStringLiteral("%1: a value of this name (letter case aside) comes twice")
                        .arg(json::memberPath(path, it.key()));
            return false;
        }
        RegistryValue value;
        if (!registryValueFromJson(it.value(), json::memberPath(path, it.key()), value, error)) {
            return false;
        }
        entry.values.insert(folded, {it.key(), value});
    }
    return true;
}

}  // namespace

RegistryData::RegistryData() {
    for (const RootName& root : kRoots) {
        ensureKey(QString::fromLatin1(root.longName));
    }
}

QString RegistryData::fold(const QString& name) {
    return name.toCaseFolded();
}

bool RegistryData::canonicalKeyName(const QString& text, QString& fullName) {
    QStringList parts = text.split(kSeparator, Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        return false;
    }
    for (const RootName& root : kRoots) {
        if (parts.first().compare(QLatin1String(root.longName), Qt::CaseInsensitive) == 0 ||
            parts.first().compare(QLatin1String(root.shortName), Qt::CaseInsensitive) == 0) {
            parts.first() = QString::fromLatin1(root.longName);
            fullName = parts.join(kSeparator);
            return true;
        }
    }
    return false;
}

QString RegistryData::fullName(RegistryRoot root, const std::wstring& path) {
    QString rootName;
    for (const RootName& entry : kRoots) {
        if (entry.root == root) {
            rootName = QString::fromLatin1(entry.longName);
        }
    }
    QStringList parts = QString::fromStdWString(path).split(kSeparator, Qt::SkipEmptyParts);
    parts.prepend(rootName);
    return parts.join(kSeparator);
}

bool RegistryData::splitKeyName(const QString& text, RegistryRoot& root, std::wstring& path) {
    QString fullName;
    if (!canonicalKeyName(text, fullName)) {
        return false;
    }
    const QString rootName = fullName.section(kSeparator, 0, 0);
    for (const RootName& entry : kRoots) {
        if (rootName == QLatin1String(entry.longName)) {
            root = entry.root;
        }
    }
    path = fullName.section(kSeparator, 1).toStdWString();
    return true;
}

bool RegistryData::isRoot(const QString& fullName) {
    return !fullName.contains(kSeparator);
}

namespace {

// A key path of a profile or state document in its canonical spelling.
bool checkedKeyName(const QString& key, const QString& keyPath, QString& name, QString& error) {
    if (RegistryData::canonicalKeyName(key, name)) {
        return true;
    }
    error = QStringLiteral(
                "%1: the key must start with HKEY_LOCAL_MACHINE, "
                "HKEY_CURRENT_USER or HKEY_CURRENT_CONFIG")
                .arg(keyPath);
    return false;
}

}  // namespace

bool RegistryData::readKeys(const QJsonObject& keys, const QString& path, QString& error) {
    QMap<QString, bool> seen;
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        const QString keyPath = json::memberPath(path, it.key());
        QString name;
        if (!checkedKeyName(it.key(), keyPath, name, error)) {
            return false;
        }
        if (seen.contains(fold(name))) {
            error = QStringLiteral("%1: the same key (letter case aside) comes twice").arg(keyPath);
            return false;
        }
        seen.insert(fold(name), true);
        QJsonObject values;
        if (!json::readObject(it.value(), keyPath, values, error) ||
            !readKeyValues(values, keyPath, ensureKey(name), error)) {
            return false;
        }
    }
    return true;
}

bool RegistryData::readAccess(const QJsonObject& access, const QString& path, QString& error) {
    for (auto it = access.begin(); it != access.end(); ++it) {
        const QString keyPath = json::memberPath(path, it.key());
        QString name;
        if (!checkedKeyName(it.key(), keyPath, name, error)) {
            return false;
        }
        const QString rule = it.value().toString();
        if (rule == QLatin1String(kDeniedName)) {
            setAccessRule(name, RegistryAccessRule::Denied);
        } else if (rule == QLatin1String(kReadOnlyName)) {
            setAccessRule(name, RegistryAccessRule::ReadOnly);
        } else {
            error = QStringLiteral("%1: expected \"denied\" or \"readOnly\"").arg(keyPath);
            return false;
        }
    }
    return true;
}

QJsonObject RegistryData::keysJson() const {
    QJsonObject keys;
    for (const RegistryKeyEntry& entry : m_keys) {
        QJsonObject values;
        for (const NamedRegistryValue& value : entry.values) {
            values.insert(value.name, registryValueToJson(value.value));
        }
        keys.insert(entry.name, values);
    }
    return keys;
}

QJsonObject RegistryData::accessJson() const {
    QJsonObject access;
    for (const auto& [name, rule] : m_access) {
        access.insert(
            name, QLatin1String(rule == RegistryAccessRule::Denied ? kDeniedName : kReadOnlyName));
    }
    return access;
}

const RegistryKeyEntry* RegistryData::key(const QString& fullName) const {
    const auto it = m_keys.constFind(fold(fullName));
    return it == m_keys.constEnd() ? nullptr : &it.value();
}

RegistryKeyEntry* RegistryData::key(const QString& fullName) {
    const auto it = m_keys.find(fold(fullName));
    return it == m_keys.end() ? nullptr : &it.value();
}

RegistryKeyEntry& RegistryData::ensureKey(const QString& fullName) {
    if (RegistryKeyEntry* existing = key(fullName)) {
        return *existing;
    }
    if (!isRoot(fullName)) {
        // Keep the parent's stored case: only the new components take the case given here.
        const RegistryKeyEntry& parent = ensureKey(parentName(fullName));
        RegistryKeyEntry entry{parent.name + kSeparator + lastComponent(fullName), {}};
        return m_keys.insert(fold(fullName), entry).value();
    }
    return m_keys.insert(fold(fullName), RegistryKeyEntry{fullName, {}}).value();
}

QStringList RegistryData::subkeyNames(const QString& fullName) const {
    QStringList names;
    const QString prefix = fold(fullName) + kSeparator;
    for (auto it = m_keys.lowerBound(prefix); it != m_keys.end() && it.key().startsWith(prefix);
         ++it) {
        if (!it.key().midRef(prefix.size()).contains(kSeparator)) {
            names << lastComponent(it.value().name);
        }
    }
    return names;
}

QStringList RegistryData::treeNames(const QString& fullName) const {
    QStringList names;
    if (const RegistryKeyEntry* top = key(fullName)) {
        names << top->name;
    }
    const QString prefix = fold(fullName) + kSeparator;
    for (auto it = m_keys.lowerBound(prefix); it != m_keys.end() && it.key().startsWith(prefix);
         ++it) {
        names << it.value().name;
    }
    return names;
}

void RegistryData::removeKey(const QString& fullName) {
    m_keys.remove(fold(fullName));
}

std::optional<RegistryAccessRule> RegistryData::accessRule(const QString& fullName) const {
    for (QString name = fold(fullName); !name.isEmpty(); name = parentName(name)) {
        const auto it = m_access.constFind(name);
        if (it != m_access.constEnd()) {
            return it.value().second;
        }
    }
    return std::nullopt;
}

void RegistryData::setAccessRule(const QString& fullName, RegistryAccessRule rule) {
    m_access.insert(fold(fullName), {fullName, rule});
}

}  // namespace platform::sim
