// Figures for the printer layer on the simulated PC:
//  - the printer JSON of 10, 100 and 1000 queues, per queue (it should stay flat);
//  - change latency: corvanta-sim pauses a queue in another process; the monitor's message
//    reaches the subscribed window (the native delivery; the page call made from it belongs to
//    the main window and is not included).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/Profile.h"
#include "platform/sim/core/SimulatedPc.h"
#include "printers/PrinterInventory.h"
#include "printers/PrinterMonitor.h"
#include "webhost/WindowList.h"

namespace {

constexpr int kJsonRepeats = 5;
constexpr int kLatencyRounds = 20;
constexpr int kDeliveryTimeoutMs = 5000;
constexpr unsigned long kSettleMs = 100;

QByteArray profileText(int queues) {
    QJsonArray list;
    for (int i = 1; i <= queues; ++i) {
        list.append(QJsonObject{
            {"name", QStringLiteral("Queue %1").arg(i)},
            {"driver", "Generic / Text Only"},
            {"port", "FILE:"},
            {"attributes", QJsonArray{"queued", "local"}},
            {"devMode", QJsonObject{{"fields", QJsonArray{"printQuality", "yResolution"}},
                                    {"printQuality", 600},
                                    {"yResolution", 600}}},
            {"capabilities",
             QJsonObject{{"resolutions", QJsonArray{QJsonArray{300, 300}, QJsonArray{600, 600}}},
                         {"duplex", true},
                         {"pagesPerMinute", 30}}}});
    }
    return QJsonDocument(
               QJsonObject{
                   {"description", "benchmark PC"},
                   {"system",
                    QJsonObject{
                        {"version", QJsonObject{{"major", 10}, {"minor", 0}, {"build", 19045}}},
                        {"architecture", "x64"},
                        {"computerName", "BENCH-PC"},
                        {"userName", "user"}}},
                   {"printers",
                    QJsonObject{{"default", "Queue 1"},
                                {"drivers", QJsonObject{{"Generic / Text Only",
                                                         QJsonObject{{"attributes", 0}}}}},
                                {"queues", list}}}})
        .toJson();
}

struct BenchPc {
    QTemporaryDir root;
    QString directory;
    std::unique_ptr<platform::sim::SimulatedPc> pc;
    platform::Spooler* spooler = nullptr;

    bool create(int queues) {
        const platform::sim::Facilities& facilities = platform::sim::registeredFacilities();
        platform::sim::Profile profile;
        QString error;
        directory = QDir(root.path()).filePath("machine");
        if (!platform::sim::parseProfile(profileText(queues), "bench", facilities, profile,
                                         error) ||
            !platform::sim::Machine::create(directory, profile, false, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        pc = std::make_unique<platform::sim::SimulatedPc>(
            directory, facilities, platform::sim::SimulatedPc::Open::Existing);
        if (!pc->isOpen()) {
            std::fprintf(stderr, "%s\n", qPrintable(pc->error()));
            return false;
        }
        spooler = &pc->get<platform::Spooler>();
        PrinterAPI::countPrinters(*spooler);  // the spooler's first start
        // The spooler reads a state document again while it is younger than its settle time;
        // measure the steady state, not the first moments of a new machine.
        QThread::msleep(kSettleMs);
        return true;
    }
};

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

qint64 modifiedNs(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void benchJson() {
    std::printf("printer JSON (enumPrinters job), median of %d runs:\n", kJsonRepeats);
    std::printf("%8s %12s %14s %10s\n", "queues", "total ms", "us per queue", "bytes");
    for (int queues : {10, 100, 1000}) {
        BenchPc pc;
        if (!pc.create(queues)) {
            return;
        }
        std::vector<double> times;
        QByteArray json;
        for (int i = 0; i < kJsonRepeats; ++i) {
            QElapsedTimer timer;
            timer.start();
            json = PrinterAPI::printersToJsonBytes(*pc.spooler, 0);
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        const double ms = median(times);
        std::printf("%8d %12.2f %14.1f %10d\n", queues, ms, ms * 1000 / queues, int(json.size()));
    }
}

// Receives the monitor's messages and notes when each arrived.
class LatencyWindow : public webhost::MessageTarget {
public:
    LatencyWindow() : handle(webhost::windowList::allocateHandle()) {
        webhost::windowList::add(handle, this, "BenchWindow");
    }
    ~LatencyWindow() override { webhost::windowList::remove(handle); }
    webhost::LResult windowProc(webhost::WindowMessage& message) override {
        if (message.message == PrinterAPI::kMsgPrinterChange) {
            arrivedNs = nowNs();
        }
        return 0;
    }
    webhost::WindowHandle handle;
    qint64 arrivedNs = 0;
};

void benchLatency(const QString& tool) {
    BenchPc pc;
    if (!pc.create(10)) {
        return;
    }
    LatencyWindow window;
    PrinterAPI::PrinterMonitor monitor(*pc.spooler, L"\\\\BENCH-PC");
    monitor.subscribeAndStart(window.handle, PrinterAPI::PrinterMonitor::kMaskAll);
    while (monitor.passesStarted() < 1) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const QString document = QDir(pc.directory).filePath("state/spooler.json");
    std::vector<double> fromChange;
    std::vector<double> fromStart;
    for (int round = 0; round < kLatencyRounds; ++round) {
        window.arrivedNs = 0;
        const qint64 startNs = nowNs();
        QProcess::execute(tool, {"--machine", pc.directory, "printer",
                                 round % 2 == 0 ? "pause" : "resume", "Queue 5"});
        QElapsedTimer waited;
        waited.start();
        while (window.arrivedNs == 0 && waited.elapsed() < kDeliveryTimeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        if (window.arrivedNs == 0) {
            std::printf("round %d: no delivery within %d ms\n", round, kDeliveryTimeoutMs);
            continue;
        }
        fromChange.push_back((window.arrivedNs - modifiedNs(document)) / 1e6);
        fromStart.push_back((window.arrivedNs - startNs) / 1e6);
    }
    if (fromChange.empty()) {
        return;
    }
    std::printf(
        "\nchange latency, corvanta-sim pause/resume -> native delivery to the window "
        "(%zu rounds):\n",
        fromChange.size());
    std::printf("  from the state change:    median %.2f ms, max %.2f ms (target < 100 ms)\n",
                median(fromChange), *std::max_element(fromChange.begin(), fromChange.end()));
    std::printf("  from starting the tool:   median %.2f ms (includes the tool's own start-up)\n",
                median(fromStart));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchJson();
    benchLatency(QStringLiteral(CORVANTA_SIM_TOOL));
    return 0;
}
