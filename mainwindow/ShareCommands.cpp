#include "Commands.h"
#include "HostShareArguments.h"
#include "MainBlkWindow.h"
#include "MainMessages.h"
#include "PagePayloads.h"
#include "sharing/HostShares.h"

namespace mainwindow {

namespace {

using webhost::JsValue;

// The record of a host share probe, carried from its thread to the page with 0x853.
class HostSharePayload : public PageArgumentsPayload {
public:
    explicit HostSharePayload(sharing::HostShareRecord record) : m_record(std::move(record)) {}

    QList<JsValue> pageArguments() const override { return hostShareArguments(m_record); }

private:
    sharing::HostShareRecord m_record;
};

}  // namespace

namespace commands {

// The probe runs on its own thread, which sends its record with 0x853 and waits until the page
// has had "notifySharePrinterByCpp2".
JsValue getHostSharePrinter(const JsCall& call, MainBlkWindow& window) {
    const webhost::WindowHandle handle = window.handle();
    sharing::startHostShareQuery(call.utf8Arg(0), [handle](sharing::HostShareRecord&& record) {
        webhost::sendMessage(handle, kMsgHostSharePrinters, 0, record.code,
                             std::make_unique<HostSharePayload>(std::move(record)));
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
