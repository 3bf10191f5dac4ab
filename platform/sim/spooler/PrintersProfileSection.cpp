#include "PrintersProfileSection.h"

#include <QJsonArray>

#include <utility>

#include "JobFiles.h"
#include "SpoolerDocument.h"
#include "SpoolerEditor.h"
#include "platform/Spooler.h"
#include "platform/sim/core/JsonCheck.h"

namespace platform::sim::spooler {

namespace {

using FlagNames = std::initializer_list<std::pair<const char*, std::uint32_t>>;

const FlagNames kAttributeNames = {{"queued", spool::kAttributeQueued},
                                   {"direct", spool::kAttributeDirect},
                                   {"default", spool::kAttributeDefault},
                                   {"shared", spool::kAttributeShared},
                                   {"network", spool::kAttributeNetwork},
                                   {"hidden", spool::kAttributeHidden},
                                   {"local", spool::kAttributeLocal},
                                   {"enableDevq", spool::kAttributeEnableDevq},
                                   {"keepPrintedJobs", spool::kAttributeKeepPrintedJobs},
                                   {"doCompleteFirst", spool::kAttributeDoCompleteFirst},
                                   {"workOffline", spool::kAttributeWorkOffline},
                                   {"enableBidi", spool::kAttributeEnableBidi},
                                   {"rawOnly", spool::kAttributeRawOnly},
                                   {"published", spool::kAttributePublished}};

const FlagNames kStatusNames = {{"paused", spool::kStatusPaused},
                                {"error", spool::kStatusError},
                                {"pendingDeletion", spool::kStatusPendingDeletion},
                                {"paperJam", spool::kStatusPaperJam},
                                {"paperOut", spool::kStatusPaperOut},
                                {"manualFeed", spool::kStatusManualFeed},
                                {"paperProblem", spool::kStatusPaperProblem},
                                {"offline", spool::kStatusOffline},
                                {"busy", spool::kStatusBusy},
                                {"printing", spool::kStatusPrinting},
                                {"outputBinFull", spool::kStatusOutputBinFull},
                                {"notAvailable", spool::kStatusNotAvailable},
                                {"tonerLow", spool::kStatusTonerLow},
                                {"noToner", spool::kStatusNoToner},
                                {"userIntervention", spool::kStatusUserIntervention},
                                {"doorOpen", spool::kStatusDoorOpen}};

const FlagNames kDevModeFieldNames = {{"printQuality", spool::kDmPrintQuality},
                                      {"color", spool::kDmColor},
                                      {"duplex", spool::kDmDuplex},
                                      {"yResolution", spool::kDmYResolution}};

constexpr double kLargestWord = 4294967295.0;
constexpr int kLargestShort = 32767;

bool flagValue(const FlagNames& names, const QString& name, std::uint32_t& bit) {
    for (const auto& [text, value] : names) {
        if (name == QLatin1String(text)) {
            bit = value;
            return true;
        }
    }
    return false;
}

// A flag set given as a number or as a list of names; absent is 0.
bool readFlags(const QJsonObject& object, QLatin1String name, const FlagNames& names,
               const QString& path, double& out, QString& error) {
    const QString where = json::memberPath(path, name);
    const QJsonValue value = object.value(name);
    out = 0;
    if (value.isUndefined()) {
        return true;
    }
    if (value.isDouble()) {
        quint64 number = 0;
        if (!json::readUnsigned(object, name, path, false, kLargestWord, number, error)) {
            return false;
        }
        out = double(number);
        return true;
    }
    if (!value.isArray()) {
        error = QStringLiteral("%1: expected a number or a list of names").arg(where);
        return false;
    }
    std::uint32_t flags = 0;
    const QJsonArray list = value.toArray();
    for (int i = 0; i < list.size(); ++i) {
        std::uint32_t bit = 0;
        if (!flagValue(names, list[i].toString(), bit)) {
            error = QStringLiteral("%1: unknown name %2")
                        .arg(json::indexPath(where, i), list[i].toString());
            return false;
        }
        flags |= bit;
    }
    out = double(flags);
    return true;
}

bool copyTexts(const QJsonObject& from, const QStringList& keys, const QString& path,
               QJsonObject& to, QString& error) {
    for (const QString& name : keys) {
        QString text;
        if (!json::readString(from, name, path, true, text, error)) {
            return false;
        }
        if (from.contains(name)) {
            to.insert(name, text);
        }
    }
    return true;
}

bool copyNumbers(const QJsonObject& from, const QStringList& keys, double max, const QString& path,
                 QJsonObject& to, QString& error) {
    for (const QString& name : keys) {
        quint64 number = 0;
        if (!json::readUnsigned(from, name, path, true, max, number, error)) {
            return false;
        }
        if (from.contains(name)) {
            to.insert(name, double(number));
        }
    }
    return true;
}

bool readDevMode(const QJsonValue& value, const QString& path, QJsonObject& out, QString& error) {
    QJsonObject object;
    double fields = 0;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(
            object,
            {key::kFields, key::kPrintQuality, key::kYResolution, key::kDuplex, key::kColor}, path,
            error) ||
        !readFlags(object, key::kFields, kDevModeFieldNames, path, fields, error) ||
        !copyNumbers(object, {key::kPrintQuality, key::kYResolution, key::kDuplex, key::kColor},
                     kLargestShort, path, out, error)) {
        return false;
    }
    out.insert(key::kFields, fields);
    return true;
}

bool readResolutions(const QJsonValue& value, const QString& path, QJsonArray& out,
                     QString& error) {
    if (value.isUndefined()) {
        return true;
    }
    const QJsonArray pairs = value.toArray();
    for (int i = 0; i < pairs.size(); ++i) {
        const QJsonArray pair = pairs[i].toArray();
        if (pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble()) {
            error =
                QStringLiteral("%1: expected [horizontal, vertical]").arg(json::indexPath(path, i));
            return false;
        }
        out.append(pair);
    }
    return true;
}

bool readCapabilities(const QJsonValue& value, const QString& path, QJsonObject& out,
                      QString& error) {
    QJsonObject object;
    bool duplex = false;
    bool color = false;
    QJsonArray resolutions;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(
            object, {key::kResolutions, key::kDuplex, key::kColor, key::kPagesPerMinute}, path,
            error) ||
        !json::readBool(object, key::kDuplex, path, true, duplex, error) ||
        !json::readBool(object, key::kColor, path, true, color, error) ||
        !readResolutions(object.value(key::kResolutions), json::memberPath(path, key::kResolutions),
                         resolutions, error)) {
        return false;
    }
    const QJsonValue ppm = object.value(key::kPagesPerMinute);
    if (!ppm.isUndefined() && !ppm.isDouble()) {
        error = QStringLiteral("%1: expected a number")
                    .arg(json::memberPath(path, key::kPagesPerMinute));
        return false;
    }
    out = {{key::kResolutions, resolutions},
           {key::kDuplex, duplex},
           {key::kColor, color},
           {key::kPagesPerMinute, ppm.toInt(0)}};
    return true;
}

bool readJobs(const QJsonValue& value, const QString& path, int queueId, QJsonArray& jobs,
              QString& error) {
    const QJsonArray list = value.toArray();
    for (int i = 0; i < list.size(); ++i) {
        const QString where = json::indexPath(path, i);
        QJsonObject object;
        QJsonObject job;
        if (!json::readObject(list[i], where, object, error) ||
            !json::rejectUnknownFields(
                object,
                {QStringLiteral("document"), QStringLiteral("user"), QStringLiteral("machine"),
                 QStringLiteral("pages"), QStringLiteral("size"), QStringLiteral("status")},
                where, error) ||
            !copyTexts(
                object,
                {QStringLiteral("document"), QStringLiteral("user"), QStringLiteral("machine")},
                where, job, error) ||
            !copyNumbers(
                object, {QStringLiteral("pages"), QStringLiteral("size"), QStringLiteral("status")},
                kLargestWord, where, job, error)) {
            return false;
        }
        job.insert(QStringLiteral("queueId"), queueId);
        jobs.append(job);
    }
    return true;
}

const QStringList& queueTextKeys() {
    static const QStringList keys = {key::kName,     key::kServer,     key::kShareName,
                                     key::kPort,     key::kDriver,     key::kComment,
                                     key::kLocation, key::kSepFile,    key::kPrintProcessor,
                                     key::kDataType, key::kParameters, key::kAccess};
    return keys;
}

const QStringList& queueNumberKeys() {
    static const QStringList keys = {key::kPriority, key::kDefaultPriority, key::kStartTime,
                                     key::kUntilTime, key::kAveragePpm};
    return keys;
}

// A queue of this PC needs a name Windows accepts; a connection is named "\\server\share".
bool isAcceptableName(const QString& name, const QJsonObject& queue, const QString& path,
                      QString& error) {
    const bool connection = !queue.value(key::kServer).toString().isEmpty();
    if (connection ? !name.isEmpty() : isValidQueueName(name)) {
        return true;
    }
    error = QStringLiteral("%1: \"%2\" is not a valid queue name")
                .arg(json::memberPath(path, key::kName), name);
    return false;
}

bool readQueue(const QJsonValue& value, const QString& path, int id, QJsonObject& queue,
               QJsonArray& jobs, QString& error) {
    QJsonObject object;
    QStringList known = queueTextKeys() + queueNumberKeys();
    known << key::kAttributes << key::kStatus << key::kDevMode << key::kCapabilities
          << QStringLiteral("jobs");
    double attributes = 0;
    double status = 0;
    QString name;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, known, path, error) ||
        !json::readString(object, key::kName, path, false, name, error) ||
        !copyTexts(object, queueTextKeys(), path, queue, error) ||
        !copyNumbers(object, queueNumberKeys(), kLargestWord, path, queue, error) ||
        !readFlags(object, key::kAttributes, kAttributeNames, path, attributes, error) ||
        !readFlags(object, key::kStatus, kStatusNames, path, status, error) ||
        !readJobs(object.value(QStringLiteral("jobs")),
                  json::memberPath(path, QStringLiteral("jobs")), id, jobs, error)) {
        return false;
    }
    if (!isAcceptableName(name, queue, path, error)) {
        return false;
    }
    const QString access = queue.value(key::kAccess).toString(key::kAccessFull);
    if (access != key::kAccessFull && access != key::kAccessUseOnly) {
        error = QStringLiteral("%1: expected \"full\" or \"use\"")
                    .arg(json::memberPath(path, key::kAccess));
        return false;
    }
    if (object.contains(key::kDevMode)) {
        QJsonObject devMode;
        if (!readDevMode(object.value(key::kDevMode), json::memberPath(path, key::kDevMode),
                         devMode, error)) {
            return false;
        }
        queue.insert(key::kDevMode, devMode);
    }
    QJsonObject capabilities;
    if (object.contains(key::kCapabilities) &&
        !readCapabilities(object.value(key::kCapabilities),
                          json::memberPath(path, key::kCapabilities), capabilities, error)) {
        return false;
    }
    queue.insert(key::kCapabilities, capabilities);
    queue.insert(key::kAttributes, attributes);
    queue.insert(key::kStatus, status);
    queue.insert(key::kId, id);
    return true;
}

bool readDrivers(const QJsonValue& value, const QString& path, QJsonObject& drivers,
                 QString& error) {
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString where = json::memberPath(path, it.key());
        QJsonObject driver;
        quint64 attributes = 0;
        if (!json::readObject(it.value(), where, driver, error) ||
            !json::rejectUnknownFields(driver, {key::kAttributes}, where, error) ||
            !json::readUnsigned(driver, key::kAttributes, where, true, kLargestWord, attributes,
                                error)) {
            return false;
        }
        drivers.insert(it.key(), QJsonObject{{key::kAttributes, double(attributes)}});
    }
    return true;
}

bool parsePrinters(const QJsonValue& section, const QString& path, QJsonObject& document,
                   QString& error) {
    QJsonObject object;
    bool running = true;
    QString defaultPrinter;
    QJsonObject drivers;
    if (!json::readObject(section, path, object, error) ||
        !json::rejectUnknownFields(
            object, {key::kRunning, QStringLiteral("default"), key::kDrivers, key::kQueues}, path,
            error) ||
        !json::readBool(object, key::kRunning, path, true, running, error) ||
        !json::readString(object, QStringLiteral("default"), path, true, defaultPrinter, error) ||
        !readDrivers(object.value(key::kDrivers), json::memberPath(path, key::kDrivers), drivers,
                     error)) {
        return false;
    }
    QJsonArray queues;
    QJsonArray jobs;
    const QJsonArray list = object.value(key::kQueues).toArray();
    const QString queuesPath = json::memberPath(path, key::kQueues);
    for (int i = 0; i < list.size(); ++i) {
        QJsonObject queue;
        const QString where = json::indexPath(queuesPath, i);
        if (!readQueue(list[i], where, i + 1, queue, jobs, error)) {
            return false;
        }
        // Queue names are unique whatever their case: every lookup by name finds one queue.
        const QString name = queue.value(key::kName).toString();
        if (findQueueIndex(queues, name) >= 0) {
            error = QStringLiteral("%1: a queue named %2 is listed already")
                        .arg(json::memberPath(where, key::kName), name);
            return false;
        }
        queues.append(queue);
    }
    if (!defaultPrinter.isEmpty() && findQueueIndex(queues, defaultPrinter) < 0) {
        error = QStringLiteral("%1: no queue named %2")
                    .arg(json::memberPath(path, QStringLiteral("default")), defaultPrinter);
        return false;
    }
    document.insert(key::kRunning, running);
    document.insert(key::kDefaultPrinter, defaultPrinter);
    document.insert(key::kDrivers, drivers);
    document.insert(key::kQueues, queues);
    document.insert(key::kNextQueueId, list.size() + 1);
    document.insert(key::kNextJobId, 1);
    if (!jobs.isEmpty()) {
        document.insert(key::kJobsToSpool, jobs);
    }
    document.insert(key::kUiRequests, QJsonArray());
    return true;
}

}  // namespace

ProfileSection printersProfileSection() {
    return {QStringLiteral("printers"), kSpoolerFacility, false, parsePrinters};
}

bool printerStatusBit(const QString& name, std::uint32_t& bit) {
    for (const auto& [known, value] : kStatusNames) {
        if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) {
            bit = value;
            return true;
        }
    }
    return false;
}

}  // namespace platform::sim::spooler
