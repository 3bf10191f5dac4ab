#include "Commands.h"
#include "MainBlkWindow.h"
#include "MainMessages.h"
#include "PagePayloads.h"
#include "sharing/HostShares.h"

namespace mainwindow {

namespace {

using webhost::JsValue;

// A host's share record as the page receives it: the texts in UTF-8, the printer names as an
// array. The code travels beside it (lParam of 0x853, or the slot's own argument).
class HostSharePayload : public PageArgumentsPayload {
public:
    explicit HostSharePayload(const sharing::HostShareRecord& record)
        : m_ip(QString::fromLocal8Bit(record.ip.c_str()).toUtf8()),
          m_deviceName(QString::fromLocal8Bit(record.deviceName.c_str()).toUtf8()),
          m_group(QString::fromLocal8Bit(record.group.c_str()).toUtf8()) {
        for (const std::wstring& name : record.printerNames)
            m_printerNames.append(QString::fromStdWString(name).toUtf8());
    }

    QList<JsValue> pageArguments() const override {
        QList<JsValue> names;
        for (const QByteArray& name : m_printerNames)
            names.append(JsValue::string(name));
        return {JsValue::string(m_ip), JsValue::string(m_deviceName), JsValue::string(m_group),
                JsValue::arrayOf(names)};
    }

private:
    QByteArray m_ip;
    QByteArray m_deviceName;
    QByteArray m_group;
    QList<QByteArray> m_printerNames;
};

}  // namespace

namespace commands {

// The probe runs on its own thread, which sends its record with 0x853 and waits until the page
// has had "notifySharePrinterByCpp2".
JsValue getHostSharePrinter(const JsCall& call, MainBlkWindow& window) {
    const webhost::WindowHandle handle = window.handle();
    sharing::startHostShareQuery(call.utf8Arg(0), [handle](sharing::HostShareRecord&& record) {
        webhost::sendMessage(handle, kMsgHostSharePrinters, 0, record.code,
                             std::make_unique<HostSharePayload>(record));
    });
    return JsValue::null();
}

JsValue netAddConnection(const JsCall& call, MainBlkWindow&) {
    return JsValue::integer(
        sharing::netAddConnection(call.utf8Arg(0), call.utf8Arg(1), call.utf8Arg(2)));
}

// The two integers the page passes are not used: the connection is always closed with
// CONNECT_UPDATE_PROFILE and forced.
JsValue netCancelConnection(const JsCall& call, MainBlkWindow&) {
    return JsValue::integer(sharing::netCancelConnection(call.utf8Arg(0)));
}

}  // namespace commands

}  // namespace mainwindow
