// The portable command-line rules checked against the system's own CommandLineToArgvW.
#include <windows.h>
// (windows.h first: shellapi.h needs its types.)
#include <shellapi.h>

#include <gtest/gtest.h>

#include "platform/Processes.h"

namespace {

std::vector<std::wstring> systemSplit(const std::wstring& line) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> parts(arguments, arguments + (arguments != nullptr ? count : 0));
    LocalFree(arguments);
    return parts;
}

// Lines where the splitting rules differ from the naive reading (the empty line is left out:
// for it the system answers the program's own path).
const wchar_t* const kLines[] = {
    LR"(prog a  	 b )", LR"("C:\Program Files\x.exe" a)",
    LR"(prog\"x y)",           LR"("prog name"x y)",
    LR"(prog "a b" c)",        LR"(prog a"b c"d)",
    LR"(prog "a\"b")",         LR"(prog a\\b c\)",
    LR"(prog a\\\\"b c")",     LR"(prog a\\\"b)",
    LR"(prog "" x)",           LR"(prog "a b""c d")",
    LR"(prog """a")",          LR"(prog "a b)",
};

}  // namespace

class CommandLineBackendTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(CommandLineBackendTest, SplitsAsTheSystemDoes) {
    const std::wstring line = GetParam();
    EXPECT_EQ(platform::splitCommandLine(line), systemSplit(line));
}

// What quoteArgument makes of awkward arguments, the system reads back unchanged.
TEST(CommandLineBackendTest, QuotedArgumentsReadBackBySystem) {
    const std::vector<std::wstring> arguments = {
        L"a b",         L"tab\there",  L"",
        LR"(a"b)",      LR"(")",       LR"("")",
        LR"(say "hi")", LR"(C:\dir\)", LR"(C:\dir with space\)",
        LR"(a\\"b)",    L"\\"};
    std::wstring line = L"prog";
    for (const std::wstring& argument : arguments) {
        line += L" " + platform::quoteArgument(argument);
    }
    std::vector<std::wstring> expected{L"prog"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(systemSplit(line), expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineBackendTest, ::testing::ValuesIn(kLines));
