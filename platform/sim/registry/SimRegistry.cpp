#include "platform/sim/registry/SimRegistry.h"

#include "platform/sim/core/StateErrors.h"

#include <functional>

#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/registry/RegistryData.h"
#include "platform/sim/registry/RegistryDocument.h"
#include "platform/sim/registry/RegistryView.h"

namespace platform::sim {

namespace {

// Access bits that change a key: KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE,
// WRITE_DAC, WRITE_OWNER, GENERIC_ALL and GENERIC_WRITE.
constexpr std::uint32_t kWriteAccessMask =
    0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

bool wantsWrite(std::uint32_t access) {
    return (access & kWriteAccessMask) != 0;
}

win32::Error checkAccess(const RegistryData& data, const QString& fullName, std::uint32_t access) {
    const std::optional<RegistryAccessRule> rule = data.accessRule(fullName);
    if (rule == RegistryAccessRule::Denied ||
        (rule == RegistryAccessRule::ReadOnly && wantsWrite(access))) {
        return win32::kAccessDenied;
    }
    return win32::kSuccess;
}

win32::Error loadData(const StateStore& store, RegistryData& data) {
    QJsonObject document;
    QString error;
    if (!store.read(kRegistryFacility, document, error)) {
        qCWarning(lcSim).noquote() << error;
        return kStateUnwritable;
    }
    if (!readRegistryDocument(document, data, error)) {
        qCWarning(lcSim).noquote() << QStringLiteral("state file %1: %2")
                                          .arg(store.documentPath(kRegistryFacility), error);
        return kStateUnreadable;
    }
    return win32::kSuccess;
}

// One locked read-change-write of the registry document. `change` sets `changed` when the
// document is to be written; an error from it leaves the document as it was.
using Change = std::function<win32::Error(RegistryData& data, bool& changed)>;

win32::Error updateData(StateStore& store, const Change& change) {
    win32::Error result = win32::kSuccess;
    QString structureError;
    QString storeError;
    const bool stored = store.update(
        kRegistryFacility,
        [&](QJsonObject& document) {
            RegistryData data;
            if (!readRegistryDocument(document, data, structureError)) {
                result = kStateUnreadable;
                return false;
            }
            bool changed = false;
            result = change(data, changed);
            if (result != win32::kSuccess || !changed) {
                return false;
            }
            writeRegistryDocument(data, document);
            return true;
        },
        storeError);
    if (!structureError.isEmpty()) {
        qCWarning(lcSim).noquote()
            << QStringLiteral("state file %1: %2")
                   .arg(store.documentPath(kRegistryFacility), structureError);
    }
    if (!stored) {
        qCWarning(lcSim).noquote() << storeError;
        return kStateUnwritable;
    }
    return result;
}

class SimRegistryKey : public RegistryKey {
public:
    SimRegistryKey(StateStore& store, QString fullName, std::uint32_t access)
        : m_store(store), m_fullName(std::move(fullName)), m_access(access) {}

    win32::Error queryValue(const std::wstring& name, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) override {
        if ((m_access & kKeyQueryValue) == 0) {
            return win32::kAccessDenied;
        }
        if (data != nullptr && size == nullptr) {
            return win32::kInvalidParameter;
        }
        RegistryData registry;
        const RegistryKeyEntry* key = nullptr;
        if (const win32::Error error = loadKey(registry, key); error != win32::kSuccess) {
            return error;
        }
        const auto it = key->values.constFind(RegistryData::fold(QString::fromStdWString(name)));
        if (it == key->values.constEnd()) {
            return win32::kFileNotFound;
        }
        return copyOut(it.value().value, type, data, size);
    }

    win32::Error setValue(const std::wstring& name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override {
        if ((m_access & kKeySetValue) == 0) {
            return win32::kAccessDenied;
        }
        if (data == nullptr && size != 0) {
            return win32::kInvalidParameter;
        }
        const QString valueName = QString::fromStdWString(name);
        const RegistryValue value{
            type, QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size))};
        return updateKey([&](RegistryKeyEntry& key) {
            NamedRegistryValue& entry = key.values[RegistryData::fold(valueName)];
            if (entry.name.isEmpty()) {
                entry.name = valueName;
            }
            entry.value = value;
            return win32::kSuccess;
        });
    }

    win32::Error deleteValue(const std::wstring& name) override {
        if ((m_access & kKeySetValue) == 0) {
            return win32::kAccessDenied;
        }
        const QString folded = RegistryData::fold(QString::fromStdWString(name));
        return updateKey([&](RegistryKeyEntry& key) {
            return key.values.remove(folded) > 0 ? win32::kSuccess : win32::kFileNotFound;
        });
    }

    win32::Error subkeyNames(std::vector<std::wstring>& names) override {
        return listNames(kKeyEnumerateSubKeys, names,
                         [this](const RegistryData& registry, const RegistryKeyEntry&) {
                             return registry.subkeyNames(m_fullName);
                         });
    }

    win32::Error valueNames(std::vector<std::wstring>& names) override {
        return listNames(kKeyQueryValue, names,
                         [](const RegistryData&, const RegistryKeyEntry& key) {
                             QStringList found;
                             for (const NamedRegistryValue& value : key.values) {
                                 found.append(value.name);
                             }
                             return found;
                         });
    }

private:
    // Names under the key, as `collect` finds them, when the key was opened with `access`.
    template <typename Collect>
    win32::Error listNames(std::uint32_t access, std::vector<std::wstring>& names,
                           Collect collect) {
        if ((m_access & access) == 0) {
            return win32::kAccessDenied;
        }
        RegistryData registry;
        const RegistryKeyEntry* key = nullptr;
        if (const win32::Error error = loadKey(registry, key); error != win32::kSuccess) {
            return error;
        }
        names.clear();
        for (const QString& name : collect(registry, *key)) {
            names.push_back(name.toStdWString());
        }
        return win32::kSuccess;
    }

    // The key as the store holds it now; kKeyDeleted once someone deleted it.
    win32::Error loadKey(RegistryData& registry, const RegistryKeyEntry*& key) const {
        if (const win32::Error error = loadData(m_store, registry); error != win32::kSuccess) {
            return error;
        }
        key = registry.key(m_fullName);
        return key == nullptr ? win32::kKeyDeleted : win32::kSuccess;
    }

    win32::Error updateKey(const std::function<win32::Error(RegistryKeyEntry&)>& change) {
        return updateData(m_store, [&](RegistryData& registry, bool& changed) {
            RegistryKeyEntry* key = registry.key(m_fullName);
            if (key == nullptr) {
                return win32::kKeyDeleted;
            }
            if (const win32::Error error = checkAccess(registry, m_fullName, kKeySetValue);
                error != win32::kSuccess) {
                return error;
            }
            const win32::Error error = change(*key);
            changed = error == win32::kSuccess;
            return error;
        });
    }

    // RegQueryValueEx's buffer rules: no buffer asks for the size; a small one gets kMoreData
    // and the size needed.
    static win32::Error copyOut(const RegistryValue& value, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) {
        if (type != nullptr) {
            *type = value.type;
        }
        const auto needed = static_cast<std::uint32_t>(value.data.size());
        if (size == nullptr) {
            return win32::kSuccess;
        }
        if (data != nullptr && *size < needed) {
            *size = needed;
            return win32::kMoreData;
        }
        if (data != nullptr) {
            std::copy(value.data.cbegin(), value.data.cend(), data);
        }
        *size = needed;
        return win32::kSuccess;
    }

    StateStore& m_store;
    QString m_fullName;
    std::uint32_t m_access;
};

}  // namespace

SimRegistry::SimRegistry(StateStore& store, View view) : m_store(store), m_view(view) {}

QString SimRegistry::keyName(RegistryRoot root, const std::wstring& path,
                             std::uint32_t access) const {
    const QString fullName = RegistryData::fullName(root, path);
    return m_view == View::Program32Bit ? keyNameIn32BitView(fullName, access) : fullName;
}

win32::Error SimRegistry::openKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                                  std::unique_ptr<RegistryKey>& key) {
    RegistryData data;
    if (const win32::Error error = loadData(m_store, data); error != win32::kSuccess) {
        return error;
    }
    const QString fullName = keyName(root, path, access);
    if (const win32::Error error = checkAccess(data, fullName, access); error != win32::kSuccess) {
        return error;
    }
    const RegistryKeyEntry* entry = data.key(fullName);
    if (entry == nullptr) {
        return win32::kFileNotFound;
    }
    key = std::make_unique<SimRegistryKey>(m_store, entry->name, access);
    return win32::kSuccess;
}

win32::Error SimRegistry::createKey(RegistryRoot root, const std::wstring& path,
                                    std::uint32_t access, std::unique_ptr<RegistryKey>& key) {
    const QString fullName = keyName(root, path, access);
    QString storedName;
    const win32::Error result = updateData(m_store, [&](RegistryData& data, bool& changed) {
        const bool exists = data.key(fullName) != nullptr;
        // Creating writes to the parent, so a read-only area refuses it whatever was asked.
        const std::uint32_t needed = exists ? access : access | kKeyCreateSubKey;
        if (const win32::Error error = checkAccess(data, fullName, needed);
            error != win32::kSuccess) {
            return error;
        }
        storedName = data.ensureKey(fullName).name;
        changed = !exists;
        return win32::kSuccess;
    });
    if (result == win32::kSuccess) {
        key = std::make_unique<SimRegistryKey>(m_store, storedName, access);
    }
    return result;
}

win32::Error SimRegistry::deleteKey(RegistryRoot root, const std::wstring& path,
                                    std::uint32_t access) {
    const QString fullName = keyName(root, path, access);
    return updateData(m_store, [&](RegistryData& data, bool& changed) {
        if (const win32::Error error = checkAccess(data, fullName, access | kKeySetValue);
            error != win32::kSuccess) {
            return error;
        }
        if (data.key(fullName) == nullptr) {
            return win32::kFileNotFound;
        }
        if (RegistryData::isRoot(fullName) || !data.subkeyNames(fullName).isEmpty()) {
            return win32::kAccessDenied;
        }
        data.removeKey(fullName);
        changed = true;
        return win32::kSuccess;
    });
}

win32::Error SimRegistry::deleteTree(RegistryRoot root, const std::wstring& path) {
    const QString fullName = keyName(root, path, 0);
    return updateData(m_store, [&](RegistryData& data, bool& changed) {
        if (data.key(fullName) == nullptr) {
            return checkAccess(data, fullName, kKeyRead) == win32::kSuccess ? win32::kFileNotFound
                                                                            : win32::kAccessDenied;
        }
        if (RegistryData::isRoot(fullName)) {
            return win32::kAccessDenied;
        }
        const QStringList tree = data.treeNames(fullName);
        for (const QString& name : tree) {
            if (checkAccess(data, name, kKeySetValue) != win32::kSuccess) {
                return win32::kAccessDenied;
            }
        }
        for (const QString& name : tree) {
            data.removeKey(name);
        }
        changed = true;
        return win32::kSuccess;
    });
}

}  // namespace platform::sim
