// How long a registry change made by one process takes to wake a ChangeWatch in another.
//
// The parent creates a machine, watches its registry document and starts itself as the child.
// The child sets a value 50 times, each time to the steady-clock time just before the write
// (the steady clock is CLOCK_MONOTONIC, shared by all processes). On each wake-up the parent
// reads the value and takes the difference. Prints median, p95 and max in milliseconds.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/sim/core/ChangeWatch.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/Profile.h"
#include "platform/sim/registry/SimRegistry.h"

namespace {

constexpr int kChanges = 50;
constexpr int kPauseMs = 20;  // between writes, so that each wakes the parent on its own
constexpr int kWaitMs = 5000;
const wchar_t* const kKey = L"Software\\Bench";
const wchar_t* const kValue = L"WrittenAt";

using Clock = std::chrono::steady_clock;

std::int64_t nowMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

int runChild(const QString& directory) {
    QString error;
    const auto machine =
        platform::sim::Machine::open(directory, platform::sim::registeredFacilities(), error);
    if (!machine) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    platform::sim::SimRegistry registry(machine->store());
    for (int i = 0; i < kChanges; ++i) {
        QThread::msleep(kPauseMs);
        const std::wstring stamp = std::to_wstring(nowMicroseconds());
        if (platform::reg::writeString(registry, platform::RegistryRoot::CurrentUser, kKey, kValue,
                                       stamp) != platform::win32::kSuccess) {
            return 1;
        }
    }
    return 0;
}

double percentile(std::vector<double> sorted, double fraction) {
    const auto index = static_cast<std::size_t>(fraction * double(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

int runParent() {
    QTemporaryDir folder;
    platform::sim::Profile profile;
    QString error;
    const QString directory = folder.path() + QStringLiteral("/pc");
    if (!platform::sim::loadProfile(QStringLiteral("empty"), platform::sim::registeredFacilities(),
                                    profile, error) ||
        !platform::sim::Machine::create(directory, profile, false, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    auto machine =
        platform::sim::Machine::open(directory, platform::sim::registeredFacilities(), error);
    platform::sim::ChangeWatch watch(machine->store().directory(), QStringLiteral("registry"));
    platform::sim::SimRegistry registry(machine->store());

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), directory});
    std::vector<double> latencies;
    while (static_cast<int>(latencies.size()) < kChanges && watch.wait(kWaitMs)) {
        const std::int64_t wokeAt = nowMicroseconds();
        std::wstring stamp;
        if (platform::reg::readString(registry, platform::RegistryRoot::CurrentUser, kKey, kValue,
                                      stamp) == platform::win32::kSuccess) {
            latencies.push_back(double(wokeAt - std::stoll(stamp)) / 1000.0);
        }
    }
    child.waitForFinished();
    if (latencies.empty()) {
        std::fprintf(stderr, "no change arrived\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "simnotify: %zu of %d changes seen; write to wake-up: median %.2f ms, "
        "p95 %.2f ms, max %.2f ms\n",
        latencies.size(), kChanges, percentile(latencies, 0.5), percentile(latencies, 0.95),
        latencies.back());
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--child")) {
        return runChild(arguments[2]);
    }
    return runParent();
}
