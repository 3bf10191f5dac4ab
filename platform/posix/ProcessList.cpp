#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "PosixProcesses.h"
#include "UniqueFd.h"

namespace platform::posix {

namespace {

namespace fs = std::filesystem;

constexpr char kProcFolder[] = "/proc";
constexpr char kDeletedSuffix[] = " (deleted)";
// Enough for a busy machine; each pass reads only the processes that are new to it.
constexpr int kMaxListingPasses = 8;

struct StatFields {
    std::string comm;
    char state = '?';
    std::uint32_t parentPid = 0;
    std::uint32_t group = 0;
};

// What can be read of the file; empty when it cannot be opened. A process may end while its
// files are read: the read then fails with ESRCH and what came so far is kept. (A stream
// iterator over an ifstream would throw from the failed read instead.)
std::string readWholeFile(const fs::path& path) {
    constexpr std::size_t kChunk = 4096;
    std::string content;
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return content;
    }
    char buffer[kChunk];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got > 0) {
            content.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            return content;
        }
    }
}

// /proc/<pid>/stat: "pid (comm) state ppid pgrp ...". The name may hold blanks and parentheses,
// so it runs to the last ')'.
bool readStat(const fs::path& folder, StatFields& fields) {
    const std::string stat = readWholeFile(folder / "stat");
    const auto open = stat.find('(');
    const auto close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return false;
    }
    fields.comm = stat.substr(open + 1, close - open - 1);
    std::istringstream rest(stat.substr(close + 1));
    rest >> fields.state >> fields.parentPid >> fields.group;
    return !rest.fail();
}

std::vector<std::string> readArguments(const fs::path& folder) {
    const std::string raw = readWholeFile(folder / "cmdline");
    std::vector<std::string> arguments;
    std::string::size_type start = 0;
    while (start < raw.size()) {
        auto end = raw.find('\0', start);
        if (end == std::string::npos) {
            end = raw.size();
        }
        arguments.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

// The image's file name as Toolhelp gives it: from the executable link where we may read it, the
// kernel's (15-character) name otherwise.
std::string executableName(const fs::path& folder, const std::string& comm) {
    std::error_code error;
    std::string target = fs::read_symlink(folder / "exe", error).string();
    if (error || target.empty()) {
        return comm;
    }
    const std::string suffix = kDeletedSuffix;
    if (target.size() > suffix.size() &&
        target.compare(target.size() - suffix.size(), suffix.size(), suffix) == 0) {
        target.resize(target.size() - suffix.size());
    }
    return fs::path(target).filename().string();
}

// Adds the process unless it has exited (a zombie only waits for its status to be collected) or
// ended while we looked.
void readProcess(const fs::path& folder, std::uint32_t pid, std::vector<ProcessRow>& rows,
                 std::vector<std::uint32_t>& groups) {
    StatFields stat;
    if (!readStat(folder, stat) || stat.state == 'Z' || stat.state == 'X') {
        return;
    }
    ProcessRow row;
    row.entry.pid = pid;
    row.entry.parentPid = stat.parentPid;
    row.entry.exeName = fromUtf8(executableName(folder, stat.comm));
    row.arguments = readArguments(folder);
    rows.push_back(std::move(row));
    groups.push_back(stat.group);
}

bool isProcessFolderName(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// Windows keeps a process's parent id after the parent has exited; Linux hands the orphan to a
// reaper and its parent id changes. A process that does not lead its group and whose parent
// lies outside that group has most likely lost its creator, so it is reported as a child of its
// group's leader: the nearest stand-in for the id Windows would have kept. Programs started with
// a new process group (the process launcher's) thereby keep their whole tree together.
void restoreLostParents(std::vector<ProcessRow>& rows, const std::vector<std::uint32_t>& groups) {
    std::unordered_map<std::uint32_t, std::uint32_t> groupOf;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        groupOf[rows[i].entry.pid] = groups[i];
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ProcessEntry& entry = rows[i].entry;
        const std::uint32_t group = groups[i];
        if (group == 0 || group == entry.pid) {
            continue;
        }
        const auto parent = groupOf.find(entry.parentPid);
        if (parent == groupOf.end() || parent->second != group) {
            entry.parentPid = group;
        }
    }
}

}  // namespace

// /proc is read in passes until a pass finds no process it has not seen. One pass is not
// enough: a process may be read as exited after the folder listing was taken, while the child it
// started just before exiting came too late for that listing; the tree would then look finished
// while it still runs. A child is born before its parent exits, so a listing taken after every
// state was read holds it.
win32::Error listProcesses(std::vector<ProcessRow>& rows) {
    rows.clear();
    std::vector<std::uint32_t> groups;
    std::unordered_set<std::uint32_t> seen;
    for (int pass = 0; pass < kMaxListingPasses; ++pass) {
        std::error_code error;
        fs::directory_iterator it(kProcFolder, error);
        if (error) {
            return win32FromErrno(error.value());
        }
        bool foundNew = false;
        // increment() with an error code: the range-for's operator++ throws when a read of
        // /proc fails, and nothing may throw out of this module. A failed read ends the pass.
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            const fs::directory_entry& entry = *it;
            const std::string name = entry.path().filename().string();
            if (!isProcessFolderName(name)) {
                continue;
            }
            const auto pid = static_cast<std::uint32_t>(std::strtoul(name.c_str(), nullptr, 10));
            if (!seen.insert(pid).second) {
                continue;
            }
            foundNew = true;
            readProcess(entry.path(), pid, rows, groups);
        }
        if (!foundNew) {
            break;
        }
    }
    restoreLostParents(rows, groups);
    return win32::kSuccess;
}

}  // namespace platform::posix
