#include "ProcessLauncher.h"

#include <QThread>
#include <QVector>
#include <algorithm>
#include <memory>

#include "ProcessLog.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"

namespace process {

namespace {

using platform::ProcessEntry;

constexpr unsigned long kPollIntervalMs = 100;
constexpr int kMaxTrackedProcesses = 4096;
constexpr int kCaptureLimit = 4096;
constexpr std::uint32_t kFirstVersionWithElevation = 6;  // Windows Vista
constexpr char kErrorPrefix[] = "error|";

// The failed command itself goes through the elevation prompt (not this program), so that what
// was asked for is what runs.
platform::win32::Error startElevated(const QString& commandLine,
                                     std::unique_ptr<platform::Process>& started) {
    const std::wstring line = commandLine.toStdWString();
    const std::vector<std::wstring> parts = platform::splitCommandLine(line);
    if (parts.empty()) {
        return platform::win32::kFileNotFound;
    }
    return platform::processes().shellExecute(L"runas", parts[0],
                                              platform::commandLineArguments(line), {},
                                              platform::ShowMode::Normal, &started);
}

bool anyTrackedRunning(const std::vector<ProcessEntry>& running, const QVector<quint32>& tracked) {
    return std::any_of(running.begin(), running.end(),
                       [&](const ProcessEntry& entry) { return tracked.contains(entry.pid); });
}

// Adds every process whose parent is tracked; true when one was added.
bool trackChildren(const std::vector<ProcessEntry>& running, QVector<quint32>& tracked) {
    bool added = false;
    for (const ProcessEntry& entry : running) {
        if (tracked.size() >= kMaxTrackedProcesses) {
            break;
        }
        if (tracked.contains(entry.parentPid) && !tracked.contains(entry.pid)) {
            tracked.append(entry.pid);
            qCDebug(lcProcess, "LaunchAndWait: Found new child process with ID %u parented to %u",
                    entry.pid, entry.parentPid);
            added = true;
        }
    }
    return added;
}

platform::win32::Error waitForTree(quint32 pid) {
    QVector<quint32> tracked{pid};
    for (;;) {
        std::vector<ProcessEntry> running;
        if (const auto error = platform::processes().list(running)) {
            return error;
        }
        if (!anyTrackedRunning(running, tracked) && !trackChildren(running, tracked)) {
            return platform::win32::kSuccess;
        }
        QThread::msleep(kPollIntervalMs);
    }
}

}  // namespace

quint32 launchAndWait(const QString& commandLine) {
    platform::StartRequest request;
    request.commandLine = commandLine.toStdWString();
    request.newProcessGroup = true;
    std::unique_ptr<platform::Process> started;  // held until the end: its exit is collected
    platform::win32::Error error = platform::processes().start(request, started);
    if (error == platform::win32::kElevationRequired) {
        error = startElevated(commandLine, started);
    }
    if (error != platform::win32::kSuccess) {
        return error;
    }
    if (started) {
        error = waitForTree(started->pid());
        if (error != platform::win32::kSuccess) {
            return error;
        }
    }
    qCDebug(lcProcess, "LaunchAndWait: All processes exited");
    return platform::win32::kSuccess;
}

QString runAndCapture(const QString& commandLine) {
    platform::StartRequest request;
    request.commandLine = commandLine.toStdWString();
    request.show = platform::ShowMode::Hidden;
    request.captureOutput = true;
    std::unique_ptr<platform::Process> child;
    if (const auto error = platform::processes().start(request, child)) {
        return QLatin1String(kErrorPrefix) + QString::number(error);
    }
    QByteArray kept;
    char buffer[kCaptureLimit];
    long count;
    while ((count = child->readOutput(buffer, sizeof buffer)) > 0) {
        const int room = kCaptureLimit - kept.size();
        kept.append(buffer, std::min<int>(room, static_cast<int>(count)));
    }
    child->wait(-1);
    return QString::fromLocal8Bit(kept);
}

quint32 relaunchElevated(const QString& parameters) {
    platform::Processes& processes = platform::processes();
    if (processes.isRunAsAdmin() || processes.isElevated()) {
        return 0;
    }
    if (platform::systemInfo().version().major < kFirstVersionWithElevation) {
        return 0;
    }
    std::unique_ptr<platform::Process> child;
    const auto error =
        processes.shellExecute(L"runas", processes.currentProgramPath(), parameters.toStdWString(),
                               {}, platform::ShowMode::Normal, &child);
    if (error != platform::win32::kSuccess || !child) {
        return 0;
    }
    const quint32 pid = child->pid();
    qCDebug(lcProcess, "Re-launched with privileges, child pid %u", pid);
    return pid;
}

}  // namespace process
