#include "platform/carbon/TextInputSources.hpp"
#include "tests/support/PlatformSettings.hpp"

#include <gtest/gtest.h>

namespace {

using namespace carbon;

TEST(TextInputSources, CurrentLayoutFollowsThePlatformSetting) {
    auto unset = TISCopyCurrentASCIICapableKeyboardLayoutInputSource();
    ASSERT_TRUE(unset);
    EXPECT_EQ(unset->identifier, kUSKeyboardLayoutID);

    testsupport::writePlatformSettings("<key>KVKeyboardLayout</key><string>com.apple.keylayout.German</string>");
    auto german = TISCopyCurrentASCIICapableKeyboardLayoutInputSource();
    ASSERT_TRUE(german);
    EXPECT_EQ(german->identifier, kGermanKeyboardLayoutID);
    auto layout = TISGetInputSourceProperty(german, kTISPropertyUnicodeKeyLayoutData);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->name(), "German");

    testsupport::writePlatformSettings("<key>KVKeyboardLayout</key><string>com.example.none</string>");
    EXPECT_FALSE(TISCopyCurrentASCIICapableKeyboardLayoutInputSource());
    EXPECT_FALSE(TISGetInputSourceProperty(nullptr, kTISPropertyUnicodeKeyLayoutData));
}

}  // namespace
