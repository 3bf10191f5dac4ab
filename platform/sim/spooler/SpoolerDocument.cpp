#include "SpoolerDocument.h"

#include <QJsonValue>

#include <algorithm>
#include <cwctype>

namespace platform::sim::spooler {

namespace {

constexpr const char* kDefaultPrintProcessor = "winprint";
constexpr const char* kDefaultDataType = "RAW";

std::wstring text(const QJsonObject& object, QLatin1String name, const char* fallback = "") {
    return object.value(name).toString(QLatin1String(fallback)).toStdWString();
}

std::uint32_t number(const QJsonObject& object, QLatin1String name) {
    return toWord(object.value(name));
}

std::optional<DevMode> readDevMode(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    DevMode mode;
    mode.fields = number(object, key::kFields);
    mode.printQuality = static_cast<std::int16_t>(object.value(key::kPrintQuality).toInt());
    mode.yResolution = static_cast<std::int16_t>(object.value(key::kYResolution).toInt());
    mode.duplex = static_cast<std::int16_t>(object.value(key::kDuplex).toInt());
    mode.color = static_cast<std::int16_t>(object.value(key::kColor).toInt());
    return mode;
}

QueueCapabilities readCapabilities(const QJsonObject& object) {
    QueueCapabilities capabilities;
    for (const QJsonValue& pair : object.value(key::kResolutions).toArray()) {
        const QJsonArray values = pair.toArray();
        capabilities.resolutions.push_back(values.at(0).toInt());
        capabilities.resolutions.push_back(values.at(1).toInt());
    }
    capabilities.duplex = object.value(key::kDuplex).toBool();
    capabilities.color = object.value(key::kColor).toBool();
    capabilities.pagesPerMinute = object.value(key::kPagesPerMinute).toInt();
    return capabilities;
}

QueueEntry readQueue(const QJsonObject& object) {
    QueueEntry entry;
    entry.id = object.value(key::kId).toInt();
    PrinterInfo2& info = entry.info;
    info.serverName = text(object, key::kServer);
    info.printerName = text(object, key::kName);
    info.shareName = text(object, key::kShareName);
    info.portName = text(object, key::kPort);
    info.driverName = text(object, key::kDriver);
    info.comment = text(object, key::kComment);
    info.location = text(object, key::kLocation);
    info.devMode = readDevMode(object.value(key::kDevMode));
    info.sepFile = text(object, key::kSepFile);
    info.printProcessor = text(object, key::kPrintProcessor, kDefaultPrintProcessor);
    info.dataType = text(object, key::kDataType, kDefaultDataType);
    info.parameters = text(object, key::kParameters);
    info.attributes = number(object, key::kAttributes);
    info.priority = number(object, key::kPriority);
    info.defaultPriority = number(object, key::kDefaultPriority);
    info.startTime = number(object, key::kStartTime);
    info.untilTime = number(object, key::kUntilTime);
    info.status = number(object, key::kStatus);
    info.averagePpm = number(object, key::kAveragePpm);
    entry.capabilities = readCapabilities(object.value(key::kCapabilities).toObject());
    entry.useOnly = object.value(key::kAccess).toString() == key::kAccessUseOnly;
    return entry;
}

}  // namespace

std::wstring foldCase(const std::wstring& text) {
    std::wstring folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return folded;
}

const QueueEntry* SpoolerSnapshot::findByName(const std::wstring& name) const {
    const auto found = indexByName.find(foldCase(name));
    return found == indexByName.end() ? nullptr : &queues[found->second];
}

const QueueEntry* SpoolerSnapshot::findById(int id) const {
    const auto found = indexById.find(id);
    return found == indexById.end() ? nullptr : &queues[found->second];
}

std::shared_ptr<const SpoolerSnapshot> parseSnapshot(const QJsonObject& document) {
    auto snapshot = std::make_shared<SpoolerSnapshot>();
    snapshot->running = document.value(key::kRunning).toBool(true);
    snapshot->changeCount =
        static_cast<quint64>(document.value(QStringLiteral("changeCount")).toDouble(0));
    snapshot->hasJobsToSpool = document.contains(key::kJobsToSpool);
    snapshot->defaultPrinter = text(document, key::kDefaultPrinter);
    const QJsonObject drivers = document.value(key::kDrivers).toObject();
    for (auto it = drivers.begin(); it != drivers.end(); ++it) {
        snapshot->driverAttributes[it.key().toStdWString()] =
            number(it.value().toObject(), key::kAttributes);
    }
    const QJsonArray queues = document.value(key::kQueues).toArray();
    snapshot->queues.reserve(static_cast<std::size_t>(queues.size()));
    for (const QJsonValue& value : queues) {
        snapshot->queues.push_back(readQueue(value.toObject()));
        const QueueEntry& entry = snapshot->queues.back();
        const std::size_t index = snapshot->queues.size() - 1;
        snapshot->indexByName.emplace(foldCase(entry.info.printerName), index);
        snapshot->indexById.emplace(entry.id, index);
    }
    return snapshot;
}

std::uint32_t toWord(const QJsonValue& value, std::uint32_t fallback) {
    constexpr double kLargestWord = 4294967295.0;
    const double number = value.toDouble(-1);
    return number >= 0 && number <= kLargestWord ? static_cast<std::uint32_t>(number) : fallback;
}

int findQueueIndex(const QJsonArray& queues, const QString& name) {
    for (int i = 0; i < queues.size(); ++i) {
        if (queues[i].toObject().value(key::kName).toString().compare(name, Qt::CaseInsensitive) ==
            0) {
            return i;
        }
    }
    return -1;
}

int findQueueIndexById(const QJsonArray& queues, int id) {
    for (int i = 0; i < queues.size(); ++i) {
        if (queues[i].toObject().value(key::kId).toInt() == id) {
            return i;
        }
    }
    return -1;
}

int allocateCounter(QJsonObject& document, QLatin1String name) {
    const int value = std::max(1, document.value(name).toInt(1));
    document.insert(name, value + 1);
    return value;
}

}  // namespace platform::sim::spooler
