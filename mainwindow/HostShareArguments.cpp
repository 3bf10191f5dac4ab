#include "HostShareArguments.h"

#include <QString>

namespace mainwindow {

namespace {

webhost::JsValue ansiText(const std::string& bytes) {
    return webhost::JsValue::string(QString::fromLocal8Bit(bytes.data(), int(bytes.size())));
}

}  // namespace

QList<webhost::JsValue> hostShareArguments(const sharing::HostShareRecord& record) {
    QList<webhost::JsValue> names;
    for (const std::wstring& name : record.printerNames)
        names.append(webhost::JsValue::string(QString::fromStdWString(name)));
    return {ansiText(record.ip), ansiText(record.deviceName), ansiText(record.group),
            webhost::JsValue::arrayOf(names)};
}

netscan::PrinterSearcher::HostShares queryHostForShareScan(const std::string& ip) {
    sharing::HostShareRecord record = sharing::probeHostSharesAt(ip);
    netscan::PrinterSearcher::HostShares shares;
    shares.ip = std::move(record.ip);
    shares.deviceName = std::move(record.deviceName);
    shares.group = std::move(record.group);
    shares.printerNames = std::move(record.printerNames);
    shares.code = record.code;
    return shares;
}

}  // namespace mainwindow
