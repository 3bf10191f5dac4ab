#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include "webhost/WindowMessages.h"

namespace PrinterAPI {

// One installed queue as the page sees it: the spooler's level-2 record, the default-printer
// setting, the driver's attributes and the driver's capabilities.
struct LocalPrinterInfo {
    bool isDefault = false;
    bool isShare = false;
    bool isLocal = false;
    QString serverName;  // empty for this PC's queues
    QString printerName;
    QString shareName;
    QString portName;
    QString driverName;
    QString comment;
    QString location;
    QString sepFile;
    QString printProcessor;
    QString dataType;
    quint32 attributes = 0;
    quint32 priority = 0;
    quint32 startTime = 0;  // minutes after midnight
    quint32 untilTime = 0;
    quint32 status = 0;
    quint32 cjobs = 0;
    quint32 averagePPM = 0;
    qint16 printQuality = 0;  // horizontal dpi of the default device mode, 0 when unknown
    bool duplex = false;
    bool color = false;
    qint32 printPagePerMinute = 0;
    QList<qint32> resolutions;  // horizontal, vertical, horizontal, vertical, ...
    quint32 driverAttributes = 0;
};

// The state of one queue, or what changed on it.
struct PrinterChangeInfo {
    quint32 dwChanged = 0;         // PRINTER_CHANGE_* flags; 0 for a plain state query
    QList<quint32> dwNotifyField;  // PRINTER_NOTIFY_FIELD_* codes, in the order reported
    QString printerName;           // after a rename: the old name
    QString printerServer;
    quint32 dwAttribute = 0;
    quint32 dwPrinterStatus = 0;
    quint32 dwJobStatus = 0;  // always 0
    quint32 dwCjobs = 0;
    QString newPrinterName;  // after a rename: the new name
};

// Window messages of the printer layer.
constexpr unsigned kMsgPrinterChange = 0x850;      // wParam: change flags, payload: the record
constexpr unsigned kMsgPrinterConnection = 0x855;  // wParam: the connection's result code

// The heap record that travels with kMsgPrinterChange; the receiving window owns it.
struct PrinterChangePayload : webhost::MessagePayload {
    explicit PrinterChangePayload(PrinterChangeInfo record) : info(std::move(record)) {}
    PrinterChangeInfo info;
};

}  // namespace PrinterAPI
