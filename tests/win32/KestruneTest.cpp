#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Processes.h"

namespace {

struct KestruneCase {
    const char* name;
    const wchar_t* arguments;
    std::uint32_t exitCode;
};

}  // namespace

// Kestrune.exe as Corvanta starts it: from beside this program, one mode argument, the answer
// in its exit code.
class KestruneTest : public ::testing::TestWithParam<KestruneCase> {};

TEST_P(KestruneTest, ExitCode) {
    platform::StartRequest request;
    request.commandLine = platform::quoteArgument(testsupport::programFolder() + L"Kestrune.exe") +
                          GetParam().arguments;
    request.show = platform::ShowMode::Hidden;
    request.captureOutput = true;
    std::unique_ptr<platform::Process> process;
    ASSERT_EQ(platform::processes().start(request, process), platform::win32::kSuccess);
    char buffer[512];
    while (process->readOutput(buffer, sizeof buffer) > 0) {
    }
    ASSERT_TRUE(process->wait(30000));
    EXPECT_EQ(process->exitCode(), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Modes, KestruneTest,
                         ::testing::Values(KestruneCase{"NoMode", L"", 87},
                                           KestruneCase{"NotANumber", L" x", 87},
                                           KestruneCase{"OutOfRange", L" 99999999999", 87},
                                           KestruneCase{"ModeNotInThisBuild", L" 1", 120}),
                         [](const auto& info) { return std::string(info.param.name); });
