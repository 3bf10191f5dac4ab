#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>

#include "platform/Services.h"

// The simulated service control manager's state document ("services" facility):
//   {"changeCount": n, "nextProcessId": n,
//    "services": {"Spooler": {"displayName": "Print Spooler", "state": 4, "startType": 2,
//                             "processId": n, "markedForDeletion": false,
//                             "hangNextStop": false, "lastStopReason": n,
//                             "pendingUntil": <ms since the epoch>, "pendingTarget": 1}},
//    "removed": {"<name>": {...the record as it was}}}
// A document without "services" (a profile that describes none) holds the services every PC
// has: the Spooler, running and started automatically.
//
// Pending states end by the clock: a stop or start moves the service to its pending state with
// the time it completes, and whoever reads the record after that time sees the final state
// (and writes it back), so every process sees one timeline.
namespace platform::sim::services {

constexpr const char* kServicesFacility = "services";
constexpr const char* kSpoolerService = "Spooler";

namespace key {
constexpr const char* kServices = "services";
constexpr const char* kRemoved = "removed";
constexpr const char* kNextProcessId = "nextProcessId";
constexpr const char* kDisplayName = "displayName";
constexpr const char* kState = "state";
constexpr const char* kStartType = "startType";
constexpr const char* kProcessId = "processId";
constexpr const char* kMarkedForDeletion = "markedForDeletion";
constexpr const char* kHangNextStop = "hangNextStop";
constexpr const char* kLastStopReason = "lastStopReason";
constexpr const char* kPendingUntil = "pendingUntil";
constexpr const char* kPendingTarget = "pendingTarget";
}  // namespace key

// How long the simulated services take to stop and to start, and the wait hint they report
// while they do: the Spooler of a real PC stops and starts in well under a second.
constexpr int kStopMs = 600;
constexpr int kStartMs = 300;
constexpr std::uint32_t kWaitHintMs = 200;

// The services of the document, the default set when it describes none.
QJsonObject servicesOf(const QJsonObject& document);
// The name as stored for `name` in any letter case, or empty.
QString storedName(const QJsonObject& services, const QString& name);

// Completes a pending state whose time has come; true when the record changed. A stopped
// service marked for deletion leaves the document (it is then under "removed").
bool settle(QJsonObject& document, const QString& name, qint64 now);

// The status a caller sees of a (settled) record.
ServiceStatusProcess statusOf(const QJsonObject& record, qint64 now);

qint64 nowMs();

// State and start type in words ("running", "auto") and back; false for an unknown word.
QString stateName(std::uint32_t state);
bool stateFromName(const QString& name, std::uint32_t& state);
QString startTypeName(std::uint32_t startType);
bool startTypeFromName(const QString& name, std::uint32_t& startType);

}  // namespace platform::sim::services
