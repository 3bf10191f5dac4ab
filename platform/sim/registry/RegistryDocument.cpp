#include "platform/sim/registry/RegistryDocument.h"

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim {

namespace {

const char* kKeysField = "keys";
const char* kAccessField = "access";

// A section may be parsed after another one filled the document: start from what is there.
bool parseKeysSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                      QString& error) {
    RegistryData data;
    QJsonObject keys;
    if (!readRegistryDocument(document, data, error) ||
        !json::readObject(section, path, keys, error) || !data.readKeys(keys, path, error)) {
        return false;
    }
    writeRegistryDocument(data, document);
    return true;
}

bool parseAccessSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                        QString& error) {
    RegistryData data;
    QJsonObject access;
    if (!readRegistryDocument(document, data, error) ||
        !json::readObject(section, path, access, error) || !data.readAccess(access, path, error)) {
        return false;
    }
    writeRegistryDocument(data, document);
    return true;
}

}  // namespace

bool readRegistryDocument(const QJsonObject& document, RegistryData& data, QString& error) {
    const QStringList known{StateStore::kChangeCountField, QLatin1String(kKeysField),
                            QLatin1String(kAccessField)};
    QJsonObject keys;
    QJsonObject access;
    const QJsonValue keysValue = document.value(QLatin1String(kKeysField));
    const QJsonValue accessValue = document.value(QLatin1String(kAccessField));
    return json::rejectUnknownFields(document, known, QString(), error) &&
           (keysValue.isUndefined() ||
            json::readObject(keysValue, QLatin1String(kKeysField), keys, error)) &&
           (accessValue.isUndefined() ||
            json::readObject(accessValue, QLatin1String(kAccessField), access, error)) &&
           data.readKeys(keys, QLatin1String(kKeysField), error) &&
           data.readAccess(access, QLatin1String(kAccessField), error);
}

void writeRegistryDocument(const RegistryData& data, QJsonObject& document) {
    document.insert(QLatin1String(kKeysField), data.keysJson());
    document.insert(QLatin1String(kAccessField), data.accessJson());
}

ProfileSection registryProfileSection() {
    return {QStringLiteral("registry"), kRegistryFacility, false, parseKeysSection};
}

ProfileSection registryAccessProfileSection() {
    return {QStringLiteral("registryAccess"), kRegistryFacility, false, parseAccessSection};
}

}  // namespace platform::sim
