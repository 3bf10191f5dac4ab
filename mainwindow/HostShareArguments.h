#pragma once

#include <QList>

#include <string>

#include "netscan/PrinterSearcher.h"
#include "sharing/HostShares.h"
#include "webhost/JsValue.h"

namespace mainwindow {

// A host's share record as the page receives it, both as the answer to "getHostSharePrinter"
// and as a host the shared-printer scan found: ip, deviceName and group converted from the
// host's ANSI texts to UTF-8, then the printer names as an array. The caller appends the code.
QList<webhost::JsValue> hostShareArguments(const sharing::HostShareRecord& record);

// The shared-printer scan's question to one live host (dotted IPv4 text): the sharing layer's
// probe, as the searcher expects it.
netscan::PrinterSearcher::HostShares queryHostForShareScan(const std::string& ip);

}  // namespace mainwindow
