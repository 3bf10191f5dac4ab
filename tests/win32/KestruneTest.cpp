#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Processes.h"
#include "platform/win32/Backend.h"

namespace {

struct KestruneCase {
    const char* name;
    const wchar_t* arguments;
    std::uint32_t exitCode;
};

std::uint32_t runKestrune(const std::wstring& arguments) {
    platform::StartRequest request;
    request.commandLine =
        platform::quoteArgument(testsupport::programFolder() + L"Kestrune.exe") + arguments;
    request.show = platform::ShowMode::Hidden;
    request.captureOutput = true;
    std::unique_ptr<platform::Process> process;
    EXPECT_EQ(platform::processes().start(request, process), platform::win32::kSuccess);
    if (!process) {
        return 0xFFFFFFFF;
    }
    char buffer[512];
    while (process->readOutput(buffer, sizeof buffer) > 0) {
    }
    EXPECT_TRUE(process->wait(60000));
    return process->exitCode();
}

}  // namespace

// Kestrune.exe as Corvanta starts it: from beside this program, one mode argument, the answer
// in its exit code.
class KestruneTest : public ::testing::TestWithParam<KestruneCase> {};

TEST_P(KestruneTest, ExitCode) {
    EXPECT_EQ(runKestrune(GetParam().arguments), GetParam().exitCode);
}

// Modes 0 and 2 work on the system's spooler, and a number that is no mode does nothing and
// succeeds.
INSTANTIATE_TEST_SUITE_P(Modes, KestruneTest,
                         ::testing::Values(KestruneCase{"NoMode", L"", 87},
                                           KestruneCase{"NotANumber", L" x", 87},
                                           KestruneCase{"OutOfRange", L" 99999999999", 87},
                                           KestruneCase{"UnknownMode", L" 42", 0},
                                           KestruneCase{"RestartSpooler", L" 0", 0},
                                           KestruneCase{"CleanSpoolFolder", L" 2", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Mode 1 enables the sharing rule groups: 0 when both are enabled, else 1.
TEST(KestruneFirewallTest, EnablesTheSharingRuleGroups) {
    const std::uint32_t code = runKestrune(L" 1");
    if (code != 0 && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's INetFwPolicy2 has no profiles to enable the groups for "
                        "(Kestrune answered "
                     << code << ")";
    }
    EXPECT_EQ(code, 0u);
}

// Mode 3 has the device tree enumerated again from its root, and mode 1000 does every repair
// with that as its last step: both answer the configuration manager's code.
TEST(KestruneDevicesTest, ReenumeratesTheDeviceTree) {
    constexpr std::uint32_t kCrFailure = 0x13;
    const std::uint32_t reenumerate = runKestrune(L" 3");
    const std::uint32_t everything = runKestrune(L" 1000");
    EXPECT_EQ(everything, reenumerate);
    if (reenumerate == kCrFailure && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's CM_Locate_DevNode_ExW is a stub that answers CR_FAILURE";
    }
    EXPECT_EQ(reenumerate, 0u);
}
