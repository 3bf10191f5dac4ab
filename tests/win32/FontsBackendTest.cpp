#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "platform/Fonts.h"

namespace win32 = platform::win32;
using testsupport::lower;

// GDI's font enumeration on the system's installed fonts.
TEST(FontsBackendTest, FamilyIsFoundInAnyLetterCase) {
    std::vector<platform::InstalledFont> all;
    ASSERT_EQ(platform::fonts().enumFontFamilies(std::wstring(), all), win32::kSuccess);
    ASSERT_FALSE(all.empty()) << "the system has no fonts";
    const std::wstring family = all.front().faceName;
    std::wstring upper = family;
    std::transform(upper.begin(), upper.end(), upper.begin(), towupper);
    std::vector<platform::InstalledFont> found;
    ASSERT_EQ(platform::fonts().enumFontFamilies(upper, found), win32::kSuccess);
    ASSERT_FALSE(found.empty());
    for (const platform::InstalledFont& font : found) {
        EXPECT_EQ(lower(font.faceName), lower(family));
        EXPECT_FALSE(font.fullName.empty());
    }
}

TEST(FontsBackendTest, UnknownFamilyFindsNothing) {
    std::vector<platform::InstalledFont> found{platform::InstalledFont{}};
    EXPECT_EQ(platform::fonts().enumFontFamilies(L"Corvanta No Such Face", found), win32::kSuccess);
    EXPECT_TRUE(found.empty());
}
