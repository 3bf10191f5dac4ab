#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include "PrinterRecords.h"

namespace platform {
class Spooler;
}

// The installed print queues and their description (enumPrinters, printerList, getPrinterInfo).
// Nothing is kept between calls. Every function takes the spooler it asks, so tests and
// benchmarks can pass one; the page's commands use platform::spooler().
namespace PrinterAPI {

// The flag of enumPrinters: 0 lists this PC's queues, any other value the connections to other
// PCs' queues.
QVector<LocalPrinterInfo> listPrinters(platform::Spooler& spooler, int connections);

// One queue as a member of the printer JSON (keys sorted as the JSON writer sorts them).
QJsonObject printerToJson(const LocalPrinterInfo& printer);
// The printer JSON: a compact array in enumeration order, UTF-8.
QByteArray printersToJsonBytes(platform::Spooler& spooler, int connections);
// The same as text: the job of the enumPrinters worker.
QString printersToJson(int connections);

// Fills `info` with the queue's state (dwChanged 0, no fields); the spooler's error, 0 on
// success.
quint32 readPrinterState(platform::Spooler& spooler, const QString& queue, PrinterChangeInfo& info);

// The printer-class devices as an indented JSON array of {"desc", "hardid"}. The device
// inventory comes later; until then the PC reports none.
QByteArray printerDeviceListJson();

// Installed queues and connections, counted with a real enumeration (a size-only call returns
// no records, so counting its returned records always gives 0).
int countPrinters(platform::Spooler& spooler);

}  // namespace PrinterAPI
