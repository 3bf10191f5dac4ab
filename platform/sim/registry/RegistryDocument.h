#pragma once

#include <QJsonObject>
#include <QString>

#include "platform/sim/core/Profile.h"
#include "platform/sim/registry/RegistryData.h"

namespace platform::sim {

inline const QLatin1String kRegistryFacility{"registry"};

// The "registry" state document: {"changeCount": n, "keys": {...}, "access": {...}}.
bool readRegistryDocument(const QJsonObject& document, RegistryData& data, QString& error);
void writeRegistryDocument(const RegistryData& data, QJsonObject& document);

// Profile sections "registry" (keys and their values) and "registryAccess" (keys the PC
// refuses: "denied" for every access, "readOnly" for writes).
ProfileSection registryProfileSection();
ProfileSection registryAccessProfileSection();

}  // namespace platform::sim
