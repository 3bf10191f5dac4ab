#include "PrinterConnections.h"

#include <thread>

#include "PrinterRecords.h"
#include "platform/Spooler.h"

namespace PrinterAPI {

QString connectionPath(const QString& host, const QString& share) {
    return QStringLiteral("\\\\") + host + QLatin1Char('\\') + share;
}

quint32 addPrinterConnection(platform::Spooler& spooler, const QString& host,
                             const QString& share) {
    return spooler.addPrinterConnection(connectionPath(host, share).toStdWString());
}

void addPrinterConnectionAsync(platform::Spooler& spooler, webhost::WindowHandle window,
                               const QString& host, const QString& share) {
    const std::wstring path = connectionPath(host, share).toStdWString();
    std::thread([&spooler, window, path] {
        const quint32 code = spooler.addPrinterConnection(path);
        webhost::sendMessage(window, kMsgPrinterConnection, code, 0);
    }).detach();
}

}  // namespace PrinterAPI
