#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"

namespace win32 = platform::win32;
using testsupport::lower;

namespace {

// The output of a captured process until it ends.
std::string readAll(platform::Process& process) {
    std::string output;
    char buffer[256];
    long read = 0;
    while ((read = process.readOutput(buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(read));
    }
    return output;
}

std::unique_ptr<platform::Process> started(const std::wstring& commandLine, bool capture,
                                           const std::wstring& directory = {}) {
    platform::StartRequest request;
    request.commandLine = commandLine;
    request.workingDirectory = directory;
    request.show = platform::ShowMode::Hidden;
    request.captureOutput = capture;
    std::unique_ptr<platform::Process> process;
    EXPECT_EQ(platform::processes().start(request, process), win32::kSuccess);
    return process;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

// Starting programs, their exit codes and output, and the process list on the real system.
TEST(ProcessesBackendTest, ExitCodeComesBack) {
    const std::unique_ptr<platform::Process> process = started(L"cmd.exe /c exit 3", false);
    ASSERT_TRUE(process);
    ASSERT_TRUE(process->wait(30000));
    EXPECT_EQ(process->exitCode(), 3u);
}

TEST(ProcessesBackendTest, OutputAndErrorAreCapturedUntilTheEnd) {
    const std::unique_ptr<platform::Process> process =
        started(L"cmd.exe /c echo first&& echo second 1>&2", true);
    ASSERT_TRUE(process);
    const std::string output = readAll(*process);
    EXPECT_NE(output.find("first"), std::string::npos) << output;
    EXPECT_NE(output.find("second"), std::string::npos) << output;
    ASSERT_TRUE(process->wait(30000));
    EXPECT_EQ(process->exitCode(), 0u);
}

TEST(ProcessesBackendTest, MissingProgramIsNotFound) {
    platform::StartRequest request;
    request.commandLine = L"corvanta-no-such-program.exe";
    std::unique_ptr<platform::Process> process;
    EXPECT_EQ(platform::processes().start(request, process), win32::kFileNotFound);
    EXPECT_FALSE(process);
}

TEST(ProcessesBackendTest, WorkingDirectoryIsUsed) {
    std::wstring folder = platform::systemInfo().tempFolder();
    folder.pop_back();  // cd prints it without the trailing backslash
    const std::unique_ptr<platform::Process> process = started(L"cmd.exe /c cd", true, folder);
    ASSERT_TRUE(process);
    const std::string printed = trimmed(readAll(*process));
    EXPECT_EQ(lower(std::wstring(printed.begin(), printed.end())), lower(folder));
}

TEST(ProcessesBackendTest, ListHoldsThisProcess) {
    std::vector<platform::ProcessEntry> entries;
    ASSERT_EQ(platform::processes().list(entries), win32::kSuccess);
    const std::uint32_t self = platform::processes().currentProcessId();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [self](const auto& entry) { return entry.pid == self; });
    ASSERT_NE(found, entries.end());
    EXPECT_EQ(lower(found->exeName), L"test_win32.exe");
}

TEST(ProcessesBackendTest, ProgramPathIsThisProgram) {
    const std::wstring path = platform::processes().currentProgramPath();
    ASSERT_GT(path.size(), 15u);
    EXPECT_EQ(lower(path.substr(path.size() - 15)), L"\\test_win32.exe");
}

TEST(ProcessesBackendTest, ShellStartsAProgram) {
    std::unique_ptr<platform::Process> process;
    ASSERT_EQ(platform::processes().shellExecute(L"open", L"cmd.exe", L"/c exit 5", L"",
                                                 platform::ShowMode::Hidden, &process),
              win32::kSuccess);
    ASSERT_TRUE(process);
    ASSERT_TRUE(process->wait(30000));
    EXPECT_EQ(process->exitCode(), 5u);
}

TEST(ProcessesBackendTest, ShellReportsAMissingFile) {
    EXPECT_EQ(platform::processes().shellExecute(L"open", L"C:\\corvanta-no-such-file.exe", L"",
                                                 L"", platform::ShowMode::Hidden, nullptr),
              win32::kFileNotFound);
}
