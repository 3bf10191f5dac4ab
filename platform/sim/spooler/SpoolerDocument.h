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

inline const QLatin1String kSpoolerFacility{"spooler"};

namespace key {
inline const QLatin1String kRunning{"spoolerRunning"};
inline const QLatin1String kNextQueueId{"nextQueueId"};
inline const QLatin1String kNextJobId{"nextJobId"};
inline const QLatin1String kDefaultPrinter{"defaultPrinter"};
inline const QLatin1String kDrivers{"drivers"};
inline const QLatin1String kQueues{"queues"};
inline const QLatin1String kJobsToSpool{"jobsToSpool"};
inline const QLatin1String kUiRequests{"uiRequests"};
inline const QLatin1String kId{"id"};
inline const QLatin1String kName{"name"};
inline const QLatin1String kServer{"server"};
inline const QLatin1String kShareName{"shareName"};
inline const QLatin1String kPort{"port"};
inline const QLatin1String kDriver{"driver"};
inline const QLatin1String kComment{"comment"};
inline const QLatin1String kLocation{"location"};
inline const QLatin1String kSepFile{"sepFile"};
inline const QLatin1String kPrintProcessor{"printProcessor"};
inline const QLatin1String kDataType{"dataType"};
inline const QLatin1String kParameters{"parameters"};
inline const QLatin1String kAttributes{"attributes"};
inline const QLatin1String kPriority{"priority"};
inline const QLatin1String kDefaultPriority{"defaultPriority"};
inline const QLatin1String kStartTime{"startTime"};
inline const QLatin1String kUntilTime{"untilTime"};
inline const QLatin1String kStatus{"status"};
inline const QLatin1String kAveragePpm{"averagePPM"};
inline const QLatin1String kDevMode{"devMode"};
inline const QLatin1String kFields{"fields"};
inline const QLatin1String kPrintQuality{"printQuality"};
inline const QLatin1String kYResolution{"yResolution"};
inline const QLatin1String kDuplex{"duplex"};
inline const QLatin1String kColor{"color"};
inline const QLatin1String kCapabilities{"capabilities"};
inline const QLatin1String kResolutions{"resolutions"};
inline const QLatin1String kPagesPerMinute{"pagesPerMinute"};
inline const QLatin1String kAccess{"access"};
inline const QLatin1String kAccessUseOnly{"use"};
inline const QLatin1String kAccessFull{"full"};
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
int allocateCounter(QJsonObject& document, QLatin1String key);

}  // namespace platform::sim::spooler
