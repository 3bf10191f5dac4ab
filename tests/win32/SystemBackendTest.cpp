#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/FileSystem.h"
#include "platform/MachineFacts.h"
#include "platform/SystemInfo.h"

using platform::KnownFolder;
using testsupport::environment;
using testsupport::lower;

// System information, paths and the machine fingerprint's facts from the running Windows.
TEST(SystemBackendTest, VersionIsWindowsSevenOrLater) {
    const platform::WindowsVersion version = platform::systemInfo().version();
    EXPECT_TRUE(version.isAtLeast(6, 1)) << version.major << "." << version.minor;
    EXPECT_GT(version.build, 0u);
}

// A 32-bit program under WOW64 runs on a 64-bit processor; a 64-bit one never is under WOW64.
TEST(SystemBackendTest, ArchitectureMatchesWow64) {
    const bool wow64 = platform::systemInfo().isWow64();
    const platform::ProcessorArchitecture native = platform::systemInfo().nativeArchitecture();
    if (sizeof(void*) == 8) {
        EXPECT_FALSE(wow64);
        EXPECT_EQ(native, platform::ProcessorArchitecture::Amd64);
    } else {
        EXPECT_EQ(native, wow64 ? platform::ProcessorArchitecture::Amd64
                                : platform::ProcessorArchitecture::X86);
    }
}

TEST(SystemBackendTest, NamesAreTheSystemsOwn) {
    EXPECT_EQ(platform::systemInfo().computerName(), environment(L"COMPUTERNAME"));
    EXPECT_EQ(lower(platform::systemInfo().userName()), lower(environment(L"USERNAME")));
}

TEST(SystemBackendTest, TempFolderEndsInBackslashAndExists) {
    const std::wstring temp = platform::systemInfo().tempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
    EXPECT_TRUE(std::filesystem::is_directory(temp));
}

struct FolderCase {
    KnownFolder folder;
    const wchar_t* variable;  // the environment's name for it, when it has one
};

class KnownFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(KnownFolderTest, Exists) {
    const std::wstring path = platform::systemInfo().knownFolder(GetParam().folder);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    if (GetParam().variable != nullptr) {
        EXPECT_EQ(lower(path), lower(environment(GetParam().variable)));
    }
}

INSTANTIATE_TEST_SUITE_P(SystemBackendTest, KnownFolderTest,
                         ::testing::Values(FolderCase{KnownFolder::Windows, L"SystemRoot"},
                                           FolderCase{KnownFolder::System, nullptr},
                                           FolderCase{KnownFolder::Fonts, nullptr},
                                           FolderCase{KnownFolder::ProgramFiles, L"ProgramFiles"},
                                           FolderCase{KnownFolder::ProgramData, L"ProgramData"},
                                           FolderCase{KnownFolder::RoamingAppData, L"APPDATA"},
                                           FolderCase{KnownFolder::LocalAppData, L"LOCALAPPDATA"},
                                           FolderCase{KnownFolder::Documents, nullptr},
                                           FolderCase{KnownFolder::Desktop, nullptr}));

TEST(SystemBackendTest, PathsAreTheirOwnHostPaths) {
    const std::wstring path = L"C:\\Windows\\System32";
    EXPECT_EQ(platform::fileSystem().hostPath(path), path);
    EXPECT_EQ(platform::fileSystem().windowsPath(path), path);
}

TEST(SystemBackendTest, FingerprintFacts) {
    EXPECT_GT(platform::processorIdentificationLeaf0()[0], 0u);  // the highest leaf
    EXPECT_NE(platform::systemVolumeSerial(), 0u);
    for (const std::vector<std::uint8_t>& address : platform::adapterAddresses()) {
        EXPECT_FALSE(address.empty());
        EXPECT_LE(address.size(), 8u);
    }
}
