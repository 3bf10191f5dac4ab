// The crash reporter started by Corvanta when it dies of a fault:
//   dumper <pid> <thread id> <fault information address> <file version> empty <product name>
// It writes its arguments and the time to "corvanta-crash-<pid>.txt" in $CORVANTA_CRASH_DIR, or
// in the temporary folder when that is unset, and exits 0.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr char kCrashDirVariable[] = "CORVANTA_CRASH_DIR";
constexpr char kReportPrefix[] = "corvanta-crash-";
constexpr char kReportSuffix[] = ".txt";
constexpr int kProcessIdArgument = 1;

fs::path reportFolder() {
    const char* folder = std::getenv(kCrashDirVariable);
    if (folder && *folder) {
        return folder;
    }
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    return error ? fs::path("/tmp") : temp;
}

bool isNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The crashed process's id names the report; without one, the reporter's own.
std::string reportId(int argc, char** argv) {
    if (argc > kProcessIdArgument && isNumber(argv[kProcessIdArgument])) {
        return argv[kProcessIdArgument];
    }
    return std::to_string(getpid());
}

std::string utcTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path report = reportFolder() / (kReportPrefix + reportId(argc, argv) + kReportSuffix);
    std::ofstream out(report, std::ios::trunc);
    out << "time: " << utcTimestamp() << '\n';
    for (int i = 1; i < argc; ++i) {
        out << "argument " << i << ": " << argv[i] << '\n';
    }
    return 0;
}
