// The repair screens' commands called from a page: checks read the simulated PC, repairs run
// Kestrune and the font viewer, and the page hears the end of the combined repair once.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "PcFolder.h"
#include "RecordingWindow.h"
#include "maintenance/Maintenance.h"
#include "mainwindow/MainBlkWindow.h"
#include "platform/FileSystem.h"
#include "platform/Spooler.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/spooler/SpoolerEditor.h"
#include "printers/PrinterMonitor.h"
#include "webhost/EngineLoading.h"
#include "webhost/ShowCommand.h"

using mainwindow::MainBlkWindow;
using webhost::JsValue;

namespace {

constexpr char kHost[] = "http://repair.corvanta.test";
constexpr int kRepairTimeoutMs = 30000;

constexpr char kPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body><script>
["notifyFinishResetAllByCpp", "notifyPrinterChangeByCpp"].forEach(function (name) {
  window[name] = function () {
    recordCall(name, Array.prototype.slice.call(arguments));
    return true;
  };
});
</script></body></html>)";

int runTool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral(CORVANTA_SIM_TOOL), arguments);
}

QString spoolFolder() {
    return QString::fromStdWString(
        platform::fileSystem().hostPath(L"C:\\Windows\\system32\\spool\\PRINTERS"));
}

QStringList spoolFiles() {
    return QDir(spoolFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

}  // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void spoolerStateFollowsTheService();
    void missingKestruneAnswersFileNotFound();
    void restartMendsTheSpooler();
    void queueFlagsOfErrorAndFreshJobs();
    void sharingKeepsTheShareName();
    void ocrFontInstalledFromBesideTheProgram();
    void firewallGroupsReadAsDisabled();
    void combinedRepairMendsAStuckPc();
    void cleanupTestCase();

private:
    JsValue run(const QString& script);

    QTemporaryDir m_folder;
    RecordingWindow* m_window = nullptr;
};

void MaintenanceTest::initTestCase() {
    QDir(m_folder.path()).mkpath("html");
    QFile page(m_folder.filePath("html/main.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(kPage);
    page.close();
    QVERIFY(webhost::loadEngine(m_folder.path(), kHost));
    m_window = new RecordingWindow(QByteArray(kHost) + "/main.html");
    webhost::WindowSettings settings;
    settings.host = kHost;
    QVERIFY(m_window->create(settings, webhost::FrameFlags(), webhost::WindowOptions(), false,
                             false, webhost::kSwShow));
    QVERIFY(
        QTest::qWaitFor([this] { return run("typeof recordCall").toUtf8() == "function"; }, 20000));
}

JsValue MaintenanceTest::run(const QString& script) {
    m_window->view()->runScript("window.__answer = function () { return " + script + "; };");
    return m_window->callPage("__answer", {});
}

void MaintenanceTest::spoolerStateFollowsTheService() {
    QCOMPARE(run("checkPrinterSpool()").toInt(), 4);
    QCOMPARE(runTool({"service", "stop", "Spooler"}), 0);
    QCOMPARE(run("checkPrinterSpool()").toInt(), 1);
    // A stopped spooler really breaks printing.
    QCOMPARE(run("checkPrinterQueue('Warehouse Printer')").toInt(), 0);
}

void MaintenanceTest::missingKestruneAnswersFileNotFound() {
    QTemporaryDir empty;
    maintenance::setKestruneFolder(empty.path());
    QCOMPARE(run("restartPrinterSpool()").toInt(), 2);
    QCOMPARE(run("resetSpool_firewall_queue()").toInt(), 2);
    maintenance::setKestruneFolder(QString());
    QCOMPARE(run("checkPrinterSpool()").toInt(), 1);
}

// Kestrune ends once the start is asked for: the spooler is start-pending, then running.
void MaintenanceTest::restartMendsTheSpooler() {
    QCOMPARE(run("restartPrinterSpool()").toInt(), 0);
    const int state = run("checkPrinterSpool()").toInt();
    QVERIFY2(state == 2 || state == 4, qPrintable(QString::number(state)));
    QTRY_COMPARE_WITH_TIMEOUT(run("checkPrinterSpool()").toInt(), 4, 3000);
}

void MaintenanceTest::queueFlagsOfErrorAndFreshJobs() {
    QCOMPARE(run("checkPrinterQueue('Warehouse Printer')").toInt(), 2);
    QCOMPARE(runTool({"printer", "job", "Warehouse Printer"}), 0);
    QCOMPARE(run("checkPrinterQueue('Warehouse Printer')").toInt(), 6);
    QCOMPARE(run("checkPrinterQueue('Label Printer')").toInt(), 0);
    QCOMPARE(run("checkPrinterQueue('No Such Queue')").toInt(), 0);
}

void MaintenanceTest::sharingKeepsTheShareName() {
    const QString pdf = "'Microsoft Print to PDF'";
    QCOMPARE(run("checkPrinterSharing(" + pdf + ")").toBoolean(), false);
    QCOMPARE(run("enablePrinterSharing(" + pdf + ")").toInt(), 0);
    QCOMPARE(run("checkPrinterSharing(" + pdf + ")").toBoolean(), true);
    QCOMPARE(runTool({"printer", "share", "Office Laser", "--shared", "X"}), 0);
    QCOMPARE(run("enablePrinterSharing('Office Laser')").toInt(), 0);
    std::vector<platform::PrinterInfo2> queues;
    QCOMPARE(platform::spooler().enumPrinters2(platform::spool::kEnumLocal, queues), 0u);
    int checked = 0;
    for (const platform::PrinterInfo2& queue : queues) {
        if (queue.printerName == L"Microsoft Print to PDF" && ++checked)
            QCOMPARE(queue.shareName, std::wstring(L"Microsoft Print to PDF"));
        if (queue.printerName == L"Office Laser" && ++checked)
            QCOMPARE(queue.shareName, std::wstring(L"X"));
    }
    QCOMPARE(checked, 2);
    // A queue that grants printing only refuses the change; an unknown one is no printer.
    QCOMPARE(run("enablePrinterSharing('Label Printer')").toInt(), 5);
    QCOMPARE(run("checkPrinterSharing('Label Printer')").toBoolean(), false);
    QCOMPARE(run("enablePrinterSharing('No Such Queue')").toInt(), 1801);
}

void MaintenanceTest::ocrFontInstalledFromBesideTheProgram() {
    QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + "/OCRAExtended.ttf"),
             "the build puts OCRAExtended.ttf beside the programs (fonts-ocr-a, fonttools)");
    QCOMPARE(run("checkOcrFont()").toBoolean(), false);
    QCOMPARE(run("installOcrFont()").toInt(), 0);
    QCOMPARE(run("checkOcrFont()").toBoolean(), true);
    QCOMPARE(runTool({"font", "remove", "OCR A Extended"}), 0);
    QCOMPARE(run("checkOcrFont()").toBoolean(), false);
}

// Sharing's group is off for the profile in force, discovery's only for another; the repair
// turns both on for the current profile.
void MaintenanceTest::firewallGroupsReadAsDisabled() {
    QCOMPARE(run("checkFirewall(1)").toBoolean(), false);
    QCOMPARE(run("checkFirewall(0)").toBoolean(), false);
    QCOMPARE(run("enableFirewall()").toInt(), 0);
    QCOMPARE(run("checkFirewall(1)").toBoolean(), true);
    QCOMPARE(run("checkFirewall(0)").toBoolean(), true);
}

// A PC whose spooler is stopped and whose queue is stuck: one combined repair from the page,
// and the checks read good again and the printer list follows changes.
void MaintenanceTest::combinedRepairMendsAStuckPc() {
    PrinterAPI::PrinterMonitor::instance().subscribeAndStart(m_window->handle(),
                                                             PrinterAPI::PrinterMonitor::kMaskAll);
    QTRY_VERIFY_WITH_TIMEOUT(PrinterAPI::PrinterMonitor::instance().passesStarted() > 0, 10000);
    const int passes = PrinterAPI::PrinterMonitor::instance().passesStarted();
    QCOMPARE(runTool({"service", "stop", "Spooler"}), 0);
    QVERIFY(!spoolFiles().isEmpty());
    m_window->calls.clear();

    QCOMPARE(run("resetSpool_firewall_queue()").toInt(), 0);
    QCOMPARE(m_window->count("notifyFinishResetAllByCpp"), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->count("notifyFinishResetAllByCpp"), 1, kRepairTimeoutMs);
    QTest::qWait(500);
    QCOMPARE(m_window->count("notifyFinishResetAllByCpp"), 1);

    QTRY_COMPARE_WITH_TIMEOUT(run("checkPrinterSpool()").toInt(), 4, 3000);
    QCOMPARE(run("checkPrinterQueue('Warehouse Printer')").toInt(), 0);
    QCOMPARE(spoolFiles(), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(PrinterAPI::PrinterMonitor::instance().passesStarted() > passes,
                             10000);
    QCOMPARE(runTool({"printer", "rename", "Label Printer", "Labels"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->count("notifyPrinterChangeByCpp") > 0, 10000);
    bool renamed = false;
    for (const PageCall& call : m_window->calls)
        renamed =
            renamed || (call.name == "notifyPrinterChangeByCpp" && call.args.contains("Labels"));
    QVERIFY(renamed);
    PrinterAPI::PrinterMonitor::instance().unsubscribe(m_window->handle());
}

void MaintenanceTest::cleanupTestCase() {
    PrinterAPI::PrinterMonitor::instance().stop();
    m_window->destroyWindow();
    QTest::qWait(200);
}

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    QApplication::setApplicationName("Corvanta");
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    // The PC every accessor serves, and the one Kestrune and corvanta-sim find through
    // CORVANTA_MACHINE.
    fixtureAsProcessPc(QStringLiteral("repair-pc"));
    MaintenanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maintenance.moc"
