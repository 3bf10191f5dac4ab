#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Spooler.h"

// The simulated spooler's state document ("spooler" facility of the machine):
//   {"changeCount": n, "spoolerRunning": true, "nextQueueId": n, "nextJobId": n,
//    "defaultPrinter": "name", "drivers": {"<driver>": {"attributes": n}},
//    "queues": [ {"id", "name", "server", "shareName", "port", "driver", "comment", "location",
//                 "sepFile", "printProcessor", "dataType", "parameters", "attributes",
//                 "priority", "defaultPriority", "startTime", "untilTime", "status",
//                 "averagePPM", "devMode": {...}, "capabilities": {...}, "access"} ],
//    "jobsToSpool": [...], "uiRequests": [...]}
// A queue with a non-empty "server" is a connection to another PC's queue; its "name" is
// "\\server\queue". Jobs are not kept here but as files in the spool folder (JobFiles.h).
namespace platform::sim::spooler {

constexpr const char* kSpoolerFacility = "spooler";

namespace key {
constexpr const char* kRunning = "spoolerRunning";
constexpr const char* kNextQueueId = "nextQueueId";
constexpr const char* kNextJobId = "nextJobId";
constexpr const char* kDefaultPrinter = "defaultPrinter";
constexpr const char* kDrivers = "drivers";
constexpr const char* kQueues = "queues";
constexpr const char* kJobsToSpool = "jobsToSpool";
constexpr const char* kUiRequests = "uiRequests";
constexpr const char* kId = "id";
constexpr const char* kName = "name";
constexpr const char* kServer = "server";
constexpr const char* kShareName = "shareName";
constexpr const char* kPort = "port";
constexpr const char* kDriver = "driver";
constexpr const char* kComment = "comment";
constexpr const char* kLocation = "location";
constexpr const char* kSepFile = "sepFile";
constexpr const char* kPrintProcessor = "printProcessor";
constexpr const char* kDataType = "dataType";
constexpr const char* kParameters = "parameters";
constexpr const char* kAttributes = "attributes";
constexpr const char* kPriority = "priority";
constexpr const char* kDefaultPriority = "defaultPriority";
constexpr const char* kStartTime = "startTime";
constexpr const char* kUntilTime = "untilTime";
constexpr const char* kStatus = "status";
constexpr const char* kAveragePpm = "averagePPM";
constexpr const char* kDevMode = "devMode";
constexpr const char* kFields = "fields";
constexpr const char* kPrintQuality = "printQuality";
constexpr const char* kYResolution = "yResolution";
constexpr const char* kDuplex = "duplex";
constexpr const char* kColor = "color";
constexpr const char* kCapabilities = "capabilities";
constexpr const char* kResolutions = "resolutions";
constexpr const char* kPagesPerMinute = "pagesPerMinute";
constexpr const char* kAccess = "access";
constexpr const char* kAccessUseOnly = "use";
constexpr const char* kAccessFull = "full";
}  // namespace key

struct QueueCapabilities {
    std::vector<std::int32_t> resolutions;  // horizontal, vertical, ... per pair
    bool duplex = false;
    bool color = false;
    std::int32_t pagesPerMinute = 0;
};

struct QueueEntry {
    int id = 0;
    PrinterInfo2 info;  // cJobs is filled from the spool folder by the reader
    QueueCapabilities capabilities;
    bool useOnly = false;  // the queue refuses every access beyond printing and reading
};

// One parsed state document; immutable once built, shared between readers.
struct SpoolerSnapshot {
    bool running = true;
    bool hasJobsToSpool = false;  // a profile's jobs not yet written to the spool folder
    quint64 changeCount = 0;
    std::vector<QueueEntry> queues;
    std::map<std::wstring, std::uint32_t> driverAttributes;
    std::wstring defaultPrinter;

    const QueueEntry* findByName(const std::wstring& name) const;
    const QueueEntry* findById(int id) const;

    std::unordered_map<std::wstring, std::size_t> indexByName;  // lower-case names
    std::unordered_map<int, std::size_t> indexById;
};

std::shared_ptr<const SpoolerSnapshot> parseSnapshot(const QJsonObject& document);

std::wstring foldCase(const std::wstring& text);

// A 32-bit unsigned number of the state document or a shadow file: `fallback` when absent,
// and also when the value is not one a DWORD can hold (the files can be edited by hand, and
// converting such a double to an integer is undefined).
std::uint32_t toWord(const QJsonValue& value, std::uint32_t fallback = 0);

// Helpers for writers that change the document in place.
int findQueueIndex(const QJsonArray& queues, const QString& name);
int findQueueIndexById(const QJsonArray& queues, int id);
int allocateCounter(QJsonObject& document, const char* key);

}  // namespace platform::sim::spooler
