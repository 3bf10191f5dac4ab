#include "Commands.h"
#include "MainBlkWindow.h"
#include "netscan/PrinterSearcher.h"
#include "process/Dialogs.h"

namespace mainwindow::commands {

namespace {

MainBlkWindow::SearchKind searchKind(int mode, bool& known) {
    known = mode == MainBlkWindow::kOnlineSearch || mode == MainBlkWindow::kShareSearch;
    return mode == MainBlkWindow::kShareSearch ? MainBlkWindow::kShareSearch
                                               : MainBlkWindow::kOnlineSearch;
}

}  // namespace

// 1 network printers (and USB), 2 printers shared by other hosts. Another mode starts nothing
// and answers undefined, which the page tells apart from the three results.
JsValue startScan(const JsCall& call, MainBlkWindow& window) {
    bool known = false;
    const MainBlkWindow::SearchKind kind = searchKind(call.intArg(0), known);
    if (!known)
        return JsValue();
    const int result = window.startSearch(kind);
    if (result != 0)
        process::messageBox(window.widget(), QString::fromUtf8("开启扫描打印机线程失败！"),
                            QString::fromUtf8("警告"), process::kMbIconWarning);
    return JsValue::integer(result);
}

JsValue interrupt(const JsCall& call, MainBlkWindow& window) {
    bool known = false;
    const MainBlkWindow::SearchKind kind = searchKind(call.intArg(0), known);
    if (!known)
        return JsValue::boolean(true);
    if (netscan::PrinterSearcherThread* searcher = window.searcher(kind))
        searcher->state = netscan::PrinterSearcher::kInterruptRequested;
    else
        process::messageBox(window.widget(),
                            QString::fromUtf8("线程已关闭情况下，调用interrupt函数！"),
                            QString::fromUtf8("警告"), process::kMbIconWarning);
    return JsValue::boolean(true);
}

// Kept for the running network scan; nothing reads the answer yet (see the scan list).
JsValue setNetDevOverCountUserHandle(const JsCall& call, MainBlkWindow& window) {
    if (netscan::PrinterSearcherThread* searcher = window.searcher(MainBlkWindow::kOnlineSearch))
        searcher->setOverCountAnswer(call.intArg(0), call.utf8Arg(1).toStdString(),
                                     call.utf8Arg(2).toStdString());
    return JsValue();
}

// The PC's usable IPv4 addresses as integers the page decodes from the low byte up.
JsValue getLocalIps(const JsCall&, MainBlkWindow&) {
    netscan::PrinterSearcher searcher;
    QList<JsValue> addresses;
    for (std::uint32_t address : searcher.localAddresses())
        addresses.append(JsValue::integer(netscan::pageAddress(address)));
    return JsValue::arrayOf(addresses);
}

}  // namespace mainwindow::commands
