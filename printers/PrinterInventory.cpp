#include "PrinterInventory.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <memory>
#include <vector>

#include "PrinterDevices.h"
#include "platform/Platform.h"
#include "platform/Spooler.h"

namespace PrinterAPI {

namespace {

using platform::spool::kAttributeLocal;
using platform::spool::kAttributeShared;

QString fromWide(const std::wstring& text) {
    return QString::fromStdWString(text);
}

// dwPrinterDriverAttributes of the queue's driver; 0 when the queue or its driver cannot be read.
quint32 driverAttributes(platform::Spooler& spooler, const std::wstring& queue) {
    std::unique_ptr<platform::PrinterHandle> handle;
    std::uint32_t attributes = 0;
    if (spooler.openPrinter(queue, 0, handle) != platform::win32::kSuccess ||
        handle->driverAttributes(attributes) != platform::win32::kSuccess) {
        return 0;
    }
    return attributes;
}

// The default device mode's print quality, trusted only when it also states the vertical
// resolution (dmPrintQuality then holds the horizontal dpi).
qint16 printQuality(const platform::PrinterInfo2& info) {
    if (!info.devMode || (info.devMode->fields & platform::spool::kDmYResolution) == 0) {
        return 0;
    }
    return info.devMode->printQuality;
}

void readCapabilities(platform::Spooler& spooler, const platform::PrinterInfo2& info,
                      LocalPrinterInfo& printer) {
    std::vector<std::int32_t> resolutions;
    const std::int32_t pairs = spooler.deviceCapabilities(
        info.printerName, info.portName, platform::spool::kDcEnumResolutions, &resolutions);
    // Every value of every pair, in pair order: horizontal, vertical, horizontal, ...
    for (std::size_t i = 0; pairs > 0 && i < resolutions.size() && i < 2 * std::size_t(pairs);
         ++i) {
        printer.resolutions.append(resolutions[i]);
    }
    printer.duplex = spooler.deviceCapabilities(info.printerName, info.portName,
                                                platform::spool::kDcDuplex, nullptr) != 0;
    printer.color = spooler.deviceCapabilities(info.printerName, info.portName,
                                               platform::spool::kDcColorDevice, nullptr) != 0;
    printer.printPagePerMinute = spooler.deviceCapabilities(
        info.printerName, info.portName, platform::spool::kDcPrintRatePpm, nullptr);
}

LocalPrinterInfo describe(platform::Spooler& spooler, const platform::PrinterInfo2& info) {
    LocalPrinterInfo printer;
    printer.driverAttributes = driverAttributes(spooler, info.printerName);
    printer.serverName = fromWide(info.serverName);
    printer.printerName = fromWide(info.printerName);
    printer.shareName = fromWide(info.shareName);
    printer.portName = fromWide(info.portName);
    printer.driverName = fromWide(info.driverName);
    printer.comment = fromWide(info.comment);
    printer.location = fromWide(info.location);
    printer.sepFile = fromWide(info.sepFile);
    printer.printProcessor = fromWide(info.printProcessor);
    printer.dataType = fromWide(info.dataType);
    printer.attributes = info.attributes;
    printer.priority = info.priority;
    printer.startTime = info.startTime;
    printer.untilTime = info.untilTime;
    printer.status = info.status;
    printer.cjobs = info.cJobs;
    printer.averagePPM = info.averagePpm;
    std::wstring defaultName;
    printer.isDefault = spooler.defaultPrinter(defaultName) == platform::win32::kSuccess &&
                        defaultName == info.printerName;
    printer.isShare = (info.attributes & kAttributeShared) != 0;
    printer.isLocal = (info.attributes & kAttributeLocal) != 0;
    printer.printQuality = printQuality(info);
    readCapabilities(spooler, info, printer);
    return printer;
}

// JSON numbers of the page are signed 32-bit.
double signed32(quint32 value) {
    return static_cast<qint32>(value);
}

}  // namespace

QVector<LocalPrinterInfo> listPrinters(platform::Spooler& spooler, int connections) {
    const std::uint32_t flags =
        connections == 0 ? platform::spool::kEnumLocal : platform::spool::kEnumConnections;
    std::vector<platform::PrinterInfo2> records;
    QVector<LocalPrinterInfo> printers;
    if (spooler.enumPrinters2(flags, records) != platform::win32::kSuccess) {
        return printers;
    }
    printers.reserve(static_cast<int>(records.size()));
    for (const platform::PrinterInfo2& record : records) {
        printers.append(describe(spooler, record));
    }
    return printers;
}

QJsonObject printerToJson(const LocalPrinterInfo& printer) {
    QJsonArray resolutions;
    for (qint32 value : printer.resolutions) {
        resolutions.append(value);
    }
    return {{QStringLiteral("isDefault"), printer.isDefault},
            {QStringLiteral("isShare"), printer.isShare},
            {QStringLiteral("isLocal"), printer.isLocal},
            {QStringLiteral("serverName"), printer.serverName},
            {QStringLiteral("printerName"), printer.printerName},
            {QStringLiteral("shareName"), printer.shareName},
            {QStringLiteral("portName"), printer.portName},
            {QStringLiteral("driverName"), printer.driverName},
            {QStringLiteral("comment"), printer.comment},
            {QStringLiteral("location"), printer.location},
            {QStringLiteral("sepFile"), printer.sepFile},
            {QStringLiteral("printProcessor"), printer.printProcessor},
            {QStringLiteral("dataType"), printer.dataType},
            {QStringLiteral("attributes"), signed32(printer.attributes)},
            {QStringLiteral("priority"), signed32(printer.priority)},
            {QStringLiteral("startTime"), signed32(printer.startTime)},
            {QStringLiteral("untilTime"), signed32(printer.untilTime)},
            {QStringLiteral("status"), signed32(printer.status)},
            {QStringLiteral("cjobs"), signed32(printer.cjobs)},
            {QStringLiteral("averagePPM"), signed32(printer.averagePPM)},
            {QStringLiteral("printQuality"), printer.printQuality},
            {QStringLiteral("duplex"), printer.duplex},
            {QStringLiteral("color"), printer.color},
            {QStringLiteral("printPagePerMinute"), printer.printPagePerMinute},
            {QStringLiteral("resolutions"), resolutions},
            {QStringLiteral("driverAttributes"), signed32(printer.driverAttributes)}};
}

QByteArray printersToJsonBytes(platform::Spooler& spooler, int connections) {
    QJsonArray array;
    for (const LocalPrinterInfo& printer : listPrinters(spooler, connections)) {
        array.append(printerToJson(printer));
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QString printersToJson(int connections) {
    return QString::fromUtf8(printersToJsonBytes(platform::spooler(), connections));
}

quint32 readPrinterState(platform::Spooler& spooler, const QString& queue,
                         PrinterChangeInfo& info) {
    info = PrinterChangeInfo();
    std::unique_ptr<platform::PrinterHandle> handle;
    quint32 code = spooler.openPrinter(queue.toStdWString(), platform::spool::kAccessUse, handle);
    if (code != platform::win32::kSuccess) {
        return code;
    }
    platform::PrinterInfo2 record;
    code = handle->getPrinter2(record);
    if (code != platform::win32::kSuccess) {
        return code;
    }
    info.printerName = queue;
    info.printerServer = fromWide(record.serverName);
    info.dwAttribute = record.attributes;
    info.dwPrinterStatus = record.status;
    info.dwJobStatus = 0;
    info.dwCjobs = record.cJobs;
    return platform::win32::kSuccess;
}

QByteArray printerDeviceListJson() {
    QJsonArray devices;
    for (const PrinterClassDevice& device : printerClassDevices()) {
        devices.append(QJsonObject{{QStringLiteral("desc"), device.description},
                                   {QStringLiteral("hardid"), device.hardwareId}});
    }
    return QJsonDocument(devices).toJson(QJsonDocument::Indented);
}

int countPrinters(platform::Spooler& spooler) {
    int count = 0;
    for (std::uint32_t flags : {platform::spool::kEnumLocal, platform::spool::kEnumConnections}) {
        std::vector<platform::PrinterInfo1> printers;
        if (spooler.enumPrinters1(flags, printers) == platform::win32::kSuccess) {
            count += static_cast<int>(printers.size());
        }
    }
    return count;
}

}  // namespace PrinterAPI
