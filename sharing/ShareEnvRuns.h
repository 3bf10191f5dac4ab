#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "sharing/ShareEnvironment.h"

namespace sharing {

// One background run of the checks or the repairs. The UI thread ends it (the page's end
// command, or a newer run that supersedes it); its worker reads the flag between steps.
class ShareRun {
public:
    explicit ShareRun(std::uint64_t generation) : m_generation(generation) {}

    std::uint64_t generation() const { return m_generation; }
    bool isEnded() const { return m_ended.load() != 0; }
    void end() { m_ended.store(1); }

    // What the run found, each element written by the worker before it reports that step.
    ShareResults results{};

private:
    const std::uint64_t m_generation;
    std::atomic<std::uint8_t> m_ended{0};
};

// Reports of a run, called on the worker's thread; each returns only when the report has been
// handled (the main window's synchronous message).
struct ShareQueryReports {
    std::function<void(int step, std::int32_t result)> progress;  // step: index + 1
    std::function<void()> finished;
};
struct ShareRepairReports {
    std::function<void(int step)> progress;  // before the repair of index step - 1
    std::function<void()> finished;
};

// Starts a detached thread that runs the eleven checks in index order, storing each result in
// run->results and reporting it. It stops before a check (not before a step that needs no
// check, before Windows 8) once the run has ended, with no further report; the finished report
// comes after the last step unless the run has ended.
void startShareQuery(std::shared_ptr<ShareRun> run, ShareQueryReports reports);

// Starts a detached thread that runs the eleven repairs in index order, each announced first.
// It stops before the next step once the run has ended; the repair under way runs to its end.
// Before Windows 8, steps 1, 4 and 10 are announced but change nothing.
void startShareRepair(std::shared_ptr<ShareRun> run, ShareRepairReports reports);

}  // namespace sharing
