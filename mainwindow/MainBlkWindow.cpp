#include "MainBlkWindow.h"

#include <QLoggingCategory>

#include <QApplication>
#include <QDebug>
#include <QWidget>

#include "CommandTable.h"
#include "Commands.h"
#include "MainMessages.h"
#include "PagePayloads.h"
#include "downloads/User.h"
#include "mainwindow/PrinterCommands.h"
#include "printers/PrinterInventory.h"
#include "printers/PrinterRecords.h"

Q_LOGGING_CATEGORY(lcMainWindow, "corvanta.mainwindow")

namespace mainwindow {

namespace {

using webhost::JsValue;
using webhost::LResult;
using webhost::WindowMessage;

// The services whose USB devices the USB detection leaves out until the page sets its own list.
const QStringList& defaultServiceFilter() {
    static const QStringList filter{
        QStringLiteral("USBHUB3"),  QStringLiteral("WUDFRd"), QStringLiteral("USBSTOR"),
        QStringLiteral("HidUsb"),   QStringLiteral("kbdhid"), QStringLiteral("mouhid"),
        QStringLiteral("disk"),     QStringLiteral("usbhub"), QStringLiteral("usbvideo"),
        QStringLiteral("RtlWlanu"), QStringLiteral("BTHUSB")};
    return filter;
}

JsValue integer(qint64 value) {
    return JsValue::integer(value);
}

}  // namespace

MainBlkWindow::MainBlkWindow(const QByteArray& startUrl)
    : BaseBlkWinow(0, false, startUrl), m_serviceFilter(defaultServiceFilter()) {}

MainBlkWindow::~MainBlkWindow() {
    qCDebug(lcMainWindow) << "~MainBlkWindow";
}

void MainBlkWindow::bindPageFunctions() {
    m_taskbar.setWindow(widget());
    bindCommands(*this);
}

SearcherThread* MainBlkWindow::searcher(SearchKind kind) const {
    return kind == kOnlineSearch ? m_onlineSearcher.data() : m_shareSearcher.data();
}

void MainBlkWindow::adoptSearcher(SearchKind kind, SearcherThread* thread) {
    (kind == kOnlineSearch ? m_onlineSearcher : m_shareSearcher) = thread;
    connect(thread, &QThread::finished, this, [this, kind] { onSearcherFinished(kind); });
}

// A searcher's end: the thread object goes, its slot empties, and a window closed during the
// scan now lets the application end.
void MainBlkWindow::onSearcherFinished(SearchKind kind) {
    QPointer<SearcherThread>& slot = kind == kOnlineSearch ? m_onlineSearcher : m_shareSearcher;
    if (slot)
        slot->deleteLater();
    slot.clear();
    if (!m_onlineSearcher && !m_shareSearcher && m_quitWhenIdle)
        QApplication::quit();
}

// The close button: the download folder is kept, then the window goes at once unless a scan
// runs; a running scan is asked to stop and the window hides until it has.
LResult MainBlkWindow::onSysClose() {
    downloads::User::instance().saveDownloadDir();
    if (!m_onlineSearcher && !m_shareSearcher) {
        webhost::postMessage(handle(), webhost::kWmClose, 0, 0);
        return 0;
    }
    if (QWidget* native = widget())
        native->hide();
    for (SearcherThread* thread : {m_onlineSearcher.data(), m_shareSearcher.data()}) {
        if (thread)
            thread->setState(SearcherThread::kStateInterrupt);
    }
    m_quitWhenIdle = true;
    return 0;
}

LResult MainBlkWindow::onPrinterChange(WindowMessage& message) {
    if (const auto* change = message.payloadAs<PrinterAPI::PrinterChangePayload>())
        notifyPage("notifyPrinterChangeByCpp", {PrinterCommands::changeInfoToObject(change->info)});
    return 0;
}

// The description leaves the end of a started package unreported; a page that wants to know
// when the installer finished defines this function.
LResult MainBlkWindow::onPackageFinished(WindowMessage& message) {
    const auto* finished = message.payloadAs<PackageFinishedPayload>();
    notifyPage("installDriverPackageCbkByCpp",
               {JsValue::string(finished ? finished->tag : QByteArray()),
                integer(static_cast<qint64>(message.wParam))});
    return 0;
}

bool MainBlkWindow::isLiveShareMessage(const WindowMessage& message,
                                       const std::shared_ptr<sharing::ShareRun>& run) {
    if (run && run->isEnded())
        return false;
    const auto* sender = message.payloadAs<ShareRunPayload>();
    return sender == nullptr || (run && sender->generation == run->generation());
}

void MainBlkWindow::startShareQuery() {
    if (m_shareQuery)
        m_shareQuery->end();
    m_shareEnvResults.fill(0);
    m_shareQuery = std::make_shared<sharing::ShareRun>(++m_shareRunCount);
    const webhost::WindowHandle window = handle();
    const std::uint64_t generation = m_shareQuery->generation();
    sharing::ShareQueryReports reports;
    reports.progress = [window, generation](int step, std::int32_t result) {
        webhost::sendMessage(window, kMsgShareQueryProgress, static_cast<webhost::WParam>(step),
                             result, std::make_unique<ShareRunPayload>(generation));
    };
    reports.finished = [window, generation] {
        webhost::sendMessage(window, kMsgShareQueryResult, 0, 0,
                             std::make_unique<ShareRunPayload>(generation));
    };
    sharing::startShareQuery(m_shareQuery, std::move(reports));
}

void MainBlkWindow::startShareRepair() {
    if (m_shareReset)
        m_shareReset->end();
    m_shareReset = std::make_shared<sharing::ShareRun>(++m_shareRunCount);
    const webhost::WindowHandle window = handle();
    const std::uint64_t generation = m_shareReset->generation();
    sharing::ShareRepairReports reports;
    reports.progress = [window, generation](int step) {
        webhost::sendMessage(window, kMsgShareResetProgress, static_cast<webhost::WParam>(step), 0,
                             std::make_unique<ShareRunPayload>(generation));
    };
    reports.finished = [window, generation] {
        webhost::sendMessage(window, kMsgShareResetResult, 0, 0,
                             std::make_unique<ShareRunPayload>(generation));
    };
    sharing::startShareRepair(m_shareReset, std::move(reports));
}

// Ending before any run mutes the page calls all the same, until the next run starts.
void MainBlkWindow::endShareQuery() {
    if (!m_shareQuery)
        m_shareQuery = std::make_shared<sharing::ShareRun>(++m_shareRunCount);
    m_shareQuery->end();
}

void MainBlkWindow::endShareReset() {
    if (!m_shareReset)
        m_shareReset = std::make_shared<sharing::ShareRun>(++m_shareRunCount);
    m_shareReset->end();
}

LResult MainBlkWindow::onShareQueryResult() {
    QList<JsValue> results;
    for (int value : m_shareEnvResults)
        results.append(integer(value));
    notifyPage("queryShareEnvAsyncCbkByCpp", {JsValue::arrayOf(results)});
    return 0;
}

LResult MainBlkWindow::windowProc(WindowMessage& message) {
    switch (message.message) {
        case kMsgResetAllFinished:
            notifyPage("notifyFinishResetAllByCpp", {});
            return 1;
        case webhost::kWmSysCommand:
            if ((message.wParam & 0xFFF0) == webhost::kScClose)
                return onSysClose();
            break;
        case webhost::kWmTimer:
            // Only the page's sendMessage delivers this id; no timer runs under it, so there
            // is none to stop.
            if (message.wParam == kTimerInstallMonitor) {
                openInstallMonitor(*this);
                return 0;
            }
            break;
        case kMsgPrinterChanged:
            onPrinterChange(message);
            break;  // the framework procedure sees it too
        case kMsgShareResetResult:
            if (isLiveShareMessage(message, m_shareReset))
                notifyPage("resetShareEnvResultCbkByCpp", {});
            return 0;
        case kMsgShareResetProgress:
            if (isLiveShareMessage(message, m_shareReset))
                notifyPage(
                    "resetShareEnvProgressCbkByCpp",
                    {integer(static_cast<qint64>(message.wParam)), integer(kShareEnvItemCount)});
            return 0;
        case kMsgHostSharePrinters:
            if (const auto* record = message.payloadAs<PageArgumentsPayload>()) {
                QList<JsValue> args = record->pageArguments();
                args.append(integer(message.lParam));
                notifyPage("notifySharePrinterByCpp2", args);
            }
            return 0;
        case kMsgShareQueryResult:
            return isLiveShareMessage(message, m_shareQuery) ? onShareQueryResult() : 0;
        case kMsgShareQueryProgress:
            if (isLiveShareMessage(message, m_shareQuery)) {
                const auto step = static_cast<std::size_t>(message.wParam);
                if (step >= 1 && step <= m_shareEnvResults.size())
                    m_shareEnvResults[step - 1] = static_cast<int>(message.lParam);
                notifyPage("queryShareEnvAsyncProgressCbkByCpp",
                           {integer(static_cast<qint64>(message.wParam)),
                            integer(kShareEnvItemCount), integer(message.lParam)});
            }
            return 0;
        case kMsgPrinterConnectionAdded:
            notifyPage("addPrinterConnectionAsyncCbk",
                       {integer(static_cast<qint64>(message.wParam))});
            return 0;
        case kMsgPackageFinished:
            return onPackageFinished(message);
        default:
            break;
    }
    return BaseBlkWinow::windowProc(message);
}

// Counted with a real enumeration of queues and connections, so the page learns of every change
// of the count at its next load.
void MainBlkWindow::pushPrinterCount() {
    if (PrinterCommands::printerCountChanged(m_printerCount))
        notifyPage("notifyPrinterCountByCpp", {integer(m_printerCount)});
}

void MainBlkWindow::onLoadingFinished() {
    pushPrinterCount();
    BaseBlkWinow::onLoadingFinished();
}

void MainBlkWindow::pciinfoResults(const QString& pcinfo) {
    notifyPage("scanCbkByCpp", {JsValue::string(pcinfo)});
}

void MainBlkWindow::printersInfoResults(const QString& printers) {
    notifyPage("enumPrinterCbkByCpp", {JsValue::string(printers)});
}

}  // namespace mainwindow
