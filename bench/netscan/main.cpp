// The two scans of the test LAN's /24. The network-printer scan (tests/lan/lan.sh ns-up: SNMP
// printers at .5 and .9, SMB hosts without an SNMP agent at .20 and .21, 249 addresses without a
// host), timed from its start to its finish, beside its design floor: the work the ten probe
// threads share, 249 echo timeouts of 0.4 s and one SNMP wait (the library's 1 s timeout and 5
// retries) per live host without an agent, spread evenly over the threads: (249 x 0.4 + 2 x 6) / 10
// = 11.2 s (never below ceil(249 / 10) x 0.4 s = 10 s of echo timeouts alone). For reference it
// times `nmap -sn` and `nbtscan` on the same LAN when they are installed (they find hosts, not
// printer models).
//
// The shared-printer scan of the same LAN asks every live host for its NetBIOS names and
// printer shares; its floor is the same 249 echo timeouts (the live hosts answer at once or
// refuse at once), and it is shown beside `nbtscan`, which asks every address for its NetBIOS
// names alone, all at once.
//
// Run as root: build/bin/bench_netscan. It builds its own LAN (namespaces named bnc<pid>-*)
// and removes it again.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "mainwindow/HostShareArguments.h"
#include "netscan/PrinterSearcherThread.h"

namespace {

using netscan::PrinterSearcher;
using netscan::PrinterSearcherThread;

constexpr int kDeadHosts = 249;
constexpr int kLiveHostsWithoutAgent = 2;
constexpr double kSnmpWaitSeconds = 6.0;  // Net-SNMP's defaults: 1 s timeout, 5 retries
constexpr double kTarget = 1.1;

// Inside the client namespace: one scan of `mode`, what it found and its wall time.
int scanHere(int mode) {
    PrinterSearcherThread::registerMetaTypes(mode);
    PrinterSearcherThread searcher(mode, nullptr);
    searcher.hostShareQuery = mainwindow::queryHostForShareScan;
    int found = 0;
    QObject::connect(&searcher, &PrinterSearcherThread::netPrinter, qApp,
                     [&found](const netscan::NetPrinterInfo& printer) {
                         ++found;
                         std::printf("  found %s: %s %s\n", printer.ip.c_str(),
                                     printer.manufacturer.c_str(), printer.model.c_str());
                     });
    QObject::connect(
        &searcher, &PrinterSearcherThread::sharePrinter, qApp,
        [&found](const std::string& ip, const std::string& name, const std::string& group,
                 const std::vector<std::wstring>& printers, int code) {
            ++found;
            std::printf("  found %s: %s in %s, %zu shared printers, code %d\n", ip.c_str(),
                        name.c_str(), group.c_str(), printers.size(), code);
        });
    QObject::connect(&searcher, &QThread::finished, qApp, &QCoreApplication::quit);
    QElapsedTimer clock;
    clock.start();
    searcher.start();
    QCoreApplication::exec();
    std::printf("scan-seconds %.2f found %d\n", clock.elapsed() / 1000.0, found);
    return 0;
}

struct Run {
    bool ok = false;
    double seconds = 0;
    QByteArray output;
};

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    Run result;
    result.ok = process.waitForFinished(300000) && process.exitCode() == 0;
    result.seconds = clock.elapsed() / 1000.0;
    result.output = process.readAllStandardOutput() + process.readAllStandardError();
    return result;
}

void timeReference(const QString& namespaceName, const char* program,
                   const QStringList& arguments) {
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        std::printf("%-10s not installed (apt-get install %s)\n", program, program);
        return;
    }
    const Run reference =
        run("ip", QStringList{"netns", "exec", namespaceName, program} + arguments);
    std::printf("%-10s %.2f s%s\n", program, reference.seconds, reference.ok ? "" : " (failed)");
}

double designFloor() {
    const double echoSeconds = PrinterSearcher::kEchoTimeoutMs / 1000.0;
    const double threads = PrinterSearcher::kProbeThreadCount;
    return std::max(
        std::ceil(kDeadHosts / threads) * echoSeconds,
        (kDeadHosts * echoSeconds + kLiveHostsWithoutAgent * kSnmpWaitSeconds) / threads);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--scan-here")
        return scanHere(QByteArray(argv[2]).toInt());
    if (::geteuid() != 0) {
        std::printf("bench_netscan needs root (network namespaces, raw ICMP)\n");
        return 1;
    }
    QTemporaryDir folder;
    const QString prefix = QStringLiteral("bnc%1").arg(::getpid());
    QProcessEnvironment lanEnvironment = QProcessEnvironment::systemEnvironment();
    lanEnvironment.insert("CORVANTA_LAN_PREFIX", prefix);
    lanEnvironment.insert("FIXROOT", folder.path() + "/lan");
    const QString machine = folder.path() + "/pc";
    QProcessEnvironment pcEnvironment = QProcessEnvironment::systemEnvironment();
    pcEnvironment.insert("CORVANTA_MACHINE", machine);
    if (!run(CORVANTA_SIM_TOOL, {"create", "--profile", "empty", machine}).ok ||
        !run(CORVANTA_SIM_TOOL, {"net", "source", "host"}, pcEnvironment).ok) {
        std::printf("cannot create the simulated PC\n");
        return 1;
    }
    if (!run("/bin/bash", {CORVANTA_LAN_SCRIPT, "ns-up"}, lanEnvironment).ok) {
        std::printf("lan.sh ns-up failed\n");
        run("/bin/bash", {CORVANTA_LAN_SCRIPT, "ns-down"}, lanEnvironment);
        return 1;
    }
    const QString client = prefix + "-cli";
    auto timeScan = [&](int mode) {
        const Run scan = run("ip",
                             {"netns", "exec", client, QCoreApplication::applicationFilePath(),
                              "--scan-here", QString::number(mode)},
                             pcEnvironment);
        std::fputs(scan.output.constData(), stdout);
        const int at = scan.output.indexOf("scan-seconds ");
        return at < 0 ? 0.0 : scan.output.mid(at + 13).split(' ').first().toDouble();
    };
    std::printf("network printers (mode 1):\n");
    const double seconds = timeScan(PrinterSearcher::kNetworkPrinters);
    const double floor = designFloor();
    std::printf(
        "corvanta  %.2f s (design floor %.2f s: (%d x %.1f s echo + %d x %.1f s SNMP) / %d "
        "threads; ratio %.2f, target <= %.1f)\n",
        seconds, floor, kDeadHosts, PrinterSearcher::kEchoTimeoutMs / 1000.0,
        kLiveHostsWithoutAgent, kSnmpWaitSeconds, PrinterSearcher::kProbeThreadCount,
        seconds / floor, kTarget);
    std::printf("shared printers (mode 2):\n");
    const double shareSeconds = timeScan(PrinterSearcher::kSharedPrinters);
    const double echoFloor = std::ceil(kDeadHosts / double(PrinterSearcher::kProbeThreadCount)) *
                             PrinterSearcher::kEchoTimeoutMs / 1000.0;
    std::printf("corvanta  %.2f s (echo floor %.2f s)\n", shareSeconds, echoFloor);
    timeReference(client, "nmap", {"-sn", "-n", "10.200.0.0/24"});
    timeReference(client, "nbtscan", {"10.200.0.0/24"});
    run("/bin/bash", {CORVANTA_LAN_SCRIPT, "ns-down"}, lanEnvironment);
    return 0;
}
