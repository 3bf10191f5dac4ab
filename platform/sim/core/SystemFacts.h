#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>

#include "platform/SystemInfo.h"

namespace platform::sim {

class StateStore;

// What the profile's "system" section says about the PC. The same object, under "system", is
// kept in the "system" state document.
struct SystemFacts {
    WindowsVersion version;
    ProcessorArchitecture architecture = ProcessorArchitecture::Amd64;
    QString computerName;
    QString userName;
    bool wow64 = true;
    bool consentToElevation = true;
    bool admin = true;
    bool elevated = true;
    std::uint16_t uiLanguage = 0x0409;
};

inline const QLatin1String kSystemFacility{"system"};

bool systemFactsFromJson(const QJsonObject& object, const QString& path, SystemFacts& facts,
                         QString& error);
QJsonObject systemFactsToJson(const SystemFacts& facts);

// The facts of a machine, read from its "system" document.
bool readSystemFacts(const StateStore& store, SystemFacts& facts, QString& error);

// Appends {flags, reason, time} to the document's "restartRequests": the simulated PC does not
// restart, it remembers that it was asked to (the latest 100 requests).
bool recordRestartRequest(StateStore& store, std::uint32_t flags, std::uint32_t reason,
                          QString& error);

}  // namespace platform::sim
