#include "GlobalShortcuts/ResourceBundle.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/foundation/Bundle.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"
#include "tests/support/PlatformSettings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using shortcutstest::ShortcutsTest;

class PackageBundle : public ShortcutsTest {};

TEST_F(PackageBundle, TextsComeFromTheBundleBesideTheMainBundlesResources) {
    EXPECT_EQ(GlobalShortcuts::localizedString("space_key"), "space");
    EXPECT_EQ(GlobalShortcuts::localizedString("record_shortcut"), "record_shortcut");
    EXPECT_EQ(GlobalShortcuts::Shortcut::specialKeyString(GlobalShortcuts::SpecialKey::space), "Space");
    EXPECT_EQ(GlobalShortcuts::resourceBundle(), GlobalShortcuts::resourceBundle());
}

TEST_F(PackageBundle, BundleBesideTheMainBundleItselfIsFoundToo) {
    auto plain = home.path() / "Plain";
    auto strings = plain / GlobalShortcuts::resourceBundleName / "en.lproj/Localizable.strings";
    std::filesystem::create_directories(strings.parent_path());
    std::ofstream(strings) << testsupport::xmlPropertyList("<key>space_key</key><string>leertaste</string>");
    foundation::Bundle::setMainBundlePathForTesting(plain);
    GlobalShortcuts::resetResourceBundleForTesting();
    EXPECT_EQ(GlobalShortcuts::Shortcut(49, 0x100).description(), "⌘Leertaste");
}

TEST_F(PackageBundle, MissingBundleStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::filesystem::create_directories(home.path() / "Empty.app/Contents/Resources");
    foundation::Bundle::setMainBundlePathForTesting(home.path() / "Empty.app");
    GlobalShortcuts::resetResourceBundleForTesting();
    EXPECT_DEATH(GlobalShortcuts::resourceBundle(), "unable to find bundle named GlobalShortcuts_GlobalShortcuts");
}

}  // namespace
