#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Registry.h"
#include "platform/SystemInfo.h"

using platform::RegistryRoot;
namespace win32 = platform::win32;
namespace reg = platform::reg;

// The registry backend on the real registry, in a key of the current user made for each test.
class RegistryBackendTest : public ::testing::Test {
protected:
    const std::wstring base_ = L"Software\\CorvantaTest\\Case";
    platform::Registry& registry_ = platform::registry();

    void TearDown() override {
        registry_.deleteTree(RegistryRoot::CurrentUser, L"Software\\CorvantaTest");
    }

    std::unique_ptr<platform::RegistryKey> created(const std::wstring& path) {
        std::unique_ptr<platform::RegistryKey> key;
        EXPECT_EQ(
            registry_.createKey(RegistryRoot::CurrentUser, path, platform::kKeyAllAccess, key),
            win32::kSuccess);
        return key;
    }
};

TEST_F(RegistryBackendTest, TypedValuesComeBack) {
    ASSERT_EQ(reg::writeString(registry_, RegistryRoot::CurrentUser, base_, L"Text", L"abc"),
              win32::kSuccess);
    ASSERT_EQ(reg::writeDword(registry_, RegistryRoot::CurrentUser, base_, L"Number", 42u),
              win32::kSuccess);
    std::wstring text;
    std::uint32_t number = 0;
    EXPECT_EQ(reg::readString(registry_, RegistryRoot::CurrentUser, base_, L"Text", text),
              win32::kSuccess);
    EXPECT_EQ(reg::readDword(registry_, RegistryRoot::CurrentUser, base_, L"Number", number),
              win32::kSuccess);
    EXPECT_EQ(text, L"abc");
    EXPECT_EQ(number, 42u);
}

TEST_F(RegistryBackendTest, ShortBufferAsksForMore) {
    const std::unique_ptr<platform::RegistryKey> key = created(base_);
    ASSERT_TRUE(key);
    const std::vector<std::uint8_t> value = reg::encodeString(L"longer than four bytes");
    const auto size = static_cast<std::uint32_t>(value.size());
    ASSERT_EQ(key->setValue(L"V", platform::kRegSz, value.data(), size), win32::kSuccess);
    std::uint32_t type = 0;
    std::uint32_t asked = 0;
    EXPECT_EQ(key->queryValue(L"V", &type, nullptr, &asked), win32::kSuccess);
    EXPECT_EQ(asked, size);
    std::uint8_t small[4];
    asked = sizeof small;
    EXPECT_EQ(key->queryValue(L"V", &type, small, &asked), win32::kMoreData);
    EXPECT_EQ(asked, size);
    EXPECT_EQ(type, static_cast<std::uint32_t>(platform::kRegSz));
}

TEST_F(RegistryBackendTest, NamesKeepTheirCaseAndLength) {
    const std::unique_ptr<platform::RegistryKey> key = created(base_ + L"\\MixedCase\\Deeper");
    ASSERT_TRUE(key);
    // Longer than the first guess of a name buffer.
    const std::wstring longName(300, L'n');
    ASSERT_EQ(key->setValue(longName, platform::kRegNone, nullptr, 0), win32::kSuccess);
    ASSERT_EQ(key->setValue(L"ValueOne", platform::kRegNone, nullptr, 0), win32::kSuccess);
    std::vector<std::wstring> values;
    EXPECT_EQ(key->valueNames(values), win32::kSuccess);
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::wstring>{L"ValueOne", longName}));

    std::unique_ptr<platform::RegistryKey> parent;
    ASSERT_EQ(registry_.openKey(RegistryRoot::CurrentUser, base_, platform::kKeyRead, parent),
              win32::kSuccess);
    std::vector<std::wstring> subkeys;
    EXPECT_EQ(parent->subkeyNames(subkeys), win32::kSuccess);
    EXPECT_EQ(subkeys, std::vector<std::wstring>{L"MixedCase"});
}

TEST_F(RegistryBackendTest, MissingKeysAndKeysWithChildren) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(
        registry_.openKey(RegistryRoot::CurrentUser, base_ + L"\\Nothing", platform::kKeyRead, key),
        win32::kFileNotFound);
    EXPECT_FALSE(key);
    ASSERT_TRUE(created(base_ + L"\\Parent\\Child"));
    // A key with subkeys cannot be deleted alone; the tree can.
    EXPECT_EQ(registry_.deleteKey(RegistryRoot::CurrentUser, base_ + L"\\Parent", 0),
              win32::kAccessDenied);
    EXPECT_EQ(registry_.deleteTree(RegistryRoot::CurrentUser, base_ + L"\\Parent"),
              win32::kSuccess);
    EXPECT_EQ(
        registry_.openKey(RegistryRoot::CurrentUser, base_ + L"\\Parent", platform::kKeyRead, key),
        win32::kFileNotFound);
    // An empty path would name the root itself.
    EXPECT_EQ(registry_.deleteTree(RegistryRoot::CurrentUser, L""), win32::kInvalidParameter);
}

TEST_F(RegistryBackendTest, DeletedValueIsGone) {
    const std::unique_ptr<platform::RegistryKey> key = created(base_);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->setValue(L"Gone", platform::kRegNone, nullptr, 0), win32::kSuccess);
    EXPECT_EQ(key->deleteValue(L"Gone"), win32::kSuccess);
    EXPECT_EQ(key->queryValue(L"Gone", nullptr, nullptr, nullptr), win32::kFileNotFound);
    EXPECT_EQ(key->deleteValue(L"Gone"), win32::kFileNotFound);
}

// A 32-bit program on 64-bit Windows sees HKLM\Software through WOW6432Node unless it asks for
// the 64-bit view; a 64-bit program reaches the 32-bit one by asking for it.
TEST_F(RegistryBackendTest, ViewsAreSeparateOn64BitWindows) {
    if (platform::systemInfo().nativeArchitecture() == platform::ProcessorArchitecture::X86) {
        GTEST_SKIP() << "32-bit Windows has one registry view";
    }
    const std::wstring path = L"Software\\CorvantaTestView";
    const std::uint32_t views[] = {platform::kKeyWow64_32Key, platform::kKeyWow64_64Key};
    for (const std::uint32_t view : views) {
        std::unique_ptr<platform::RegistryKey> key;
        ASSERT_EQ(registry_.createKey(RegistryRoot::LocalMachine, path,
                                      platform::kKeyAllAccess | view, key),
                  win32::kSuccess);
        const std::vector<std::uint8_t> value = reg::encodeString(std::to_wstring(view));
        ASSERT_EQ(key->setValue(L"Which", platform::kRegSz, value.data(),
                                static_cast<std::uint32_t>(value.size())),
                  win32::kSuccess);
    }
    for (const std::uint32_t view : views) {
        std::wstring seen;
        EXPECT_EQ(reg::readString(registry_, RegistryRoot::LocalMachine, path, L"Which", seen,
                                  platform::kKeyRead | view),
                  win32::kSuccess);
        EXPECT_EQ(seen, std::to_wstring(view));
        EXPECT_EQ(registry_.deleteKey(RegistryRoot::LocalMachine, path, view), win32::kSuccess);
    }
}
