#include "app/bookmarks/ProfileAvatarResolver.hpp"
#include "platform/foundation/Bundle.hpp"
#include "tests/app/bookmarks/ApplicationResources.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include <gtest/gtest.h>

using namespace kestrelvault;
using namespace fixtures;

namespace {

constexpr std::uint32_t pictureColour = 0x336699FF;

class ProfileAvatars : public ::testing::Test {
protected:
    void SetUp() override { useApplicationResources(); }

    void writeLocalState(const std::string& browser, const json& entry) {
        writeFile(chromiumBase(browser) / "Local State",
                  json{{"profile", {{"info_cache", {{"Profile 1", entry}}}}}}.dump());
    }
    void writePicture(const std::string& browser) {
        writeFile(chromiumBase(browser) / "Profile 1" / "picture.png", pngBytes(4, 4, pictureColour));
    }
    // What a resolved image is: the account picture, an asset (by its pixel) or nothing.
    std::string answer(BrowserType browser) {
        auto image = ProfileAvatarResolver::shared()->avatar(browser, "Profile 1");
        if (!image) return "letter";
        if (image->pixel(0, 0) == pictureColour) return "picture";
        for (int index = 0; index < 56; ++index)
            if (auto asset = appkit::Image::imageNamed("ChromiumAvatars/avatar_" + std::to_string(index));
                asset && asset->rgba() == image->rgba())
                return "icon " + std::to_string(index);
        return "unknown";
    }
};

TEST_F(ProfileAvatars, ResolutionOrderPerBrowser) {
    const std::string icon3 = "chrome://theme/IDR_PROFILE_AVATAR_3";
    struct Case {
        const char* label;
        const char* browser;
        json entry;
        bool pictureFile;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"chrome uses its picture",
         "chrome",
         {{"use_gaia_picture", true}, {"gaia_picture_file_name", "picture.png"}, {"avatar_icon", icon3}},
         true,
         "picture"},
        {"chrome picture gone falls to icon",
         "chrome",
         {{"use_gaia_picture", true}, {"gaia_picture_file_name", "picture.png"}, {"avatar_icon", icon3}},
         false,
         "icon 3"},
        {"chrome picture gone and icon 26",
         "chrome",
         {{"use_gaia_picture", true},
          {"gaia_picture_file_name", "picture.png"},
          {"avatar_icon", "chrome://theme/IDR_PROFILE_AVATAR_26"}},
         false,
         "letter"},
        {"chrome not using picture prefers icon",
         "chrome",
         {{"use_gaia_picture", false}, {"gaia_picture_file_name", "picture.png"}, {"avatar_icon", icon3}},
         true,
         "icon 3"},
        {"brave without flag uses icon",
         "brave",
         {{"gaia_picture_file_name", "picture.png"}, {"avatar_icon", icon3}},
         true,
         "icon 3"},
        {"brave missing asset falls back to picture",
         "brave",
         {{"gaia_picture_file_name", "picture.png"}, {"avatar_icon", "chrome://theme/IDR_PROFILE_AVATAR_99"}},
         true,
         "picture"},
        {"brave flag as text is not true",
         "brave",
         {{"use_gaia_picture", "true"}, {"gaia_picture_file_name", "picture.png"}, {"avatar_icon", icon3}},
         true,
         "icon 3"},
        {"edge ignores icons", "edge", {{"avatar_icon", icon3}}, false, "letter"},
        {"edge uses its picture without flag",
         "edge",
         {{"gaia_picture_file_name", "picture.png"}, {"avatar_icon", icon3}},
         true,
         "picture"},
        {"edge with flag and picture gone",
         "edge",
         {{"use_gaia_picture", true}, {"gaia_picture_file_name", "picture.png"}},
         false,
         "letter"},
        {"empty picture name", "chrome", {{"use_gaia_picture", true}, {"gaia_picture_file_name", ""}}, false, "letter"},
    };
    for (auto& entry : cases) {
        ProfileAvatarResolver::resetForTesting();
        std::filesystem::remove_all(home() / "Library");
        writeLocalState(entry.browser, entry.entry);
        if (entry.pictureFile) writePicture(entry.browser);
        EXPECT_EQ(answer(*browserTypeFromRawValue(entry.browser)), entry.expected) << entry.label;
    }
}

TEST_F(ProfileAvatars, IconTwentySixIsNeverLookedUpEvenWhenAnAssetHasThatName) {
    // The application ships no avatar 26, so only a bundle that has one can tell whether
    // the index is skipped or merely not found.
    auto bundle = home() / "Bundles" / "WithAvatar26.app";
    writeFile(bundle / "Contents/Info.plist", xmlPropertyList(json{{"CFBundleIdentifier", "com.example.avatars"}}));
    writeFile(bundle / "Contents/Resources/Assets/ChromiumAvatars/avatar_26.png", pngBytes(2, 2, 0x00FF00FF));
    writeFile(bundle / "Contents/Resources/Assets/ChromiumAvatars/avatar_25.png", pngBytes(2, 2, 0x00FF00FF));
    foundation::Bundle::setMainBundlePathForTesting(bundle);
    ASSERT_NE(appkit::Image::imageNamed("ChromiumAvatars/avatar_26"), nullptr);
    for (const char* browser : {"chrome", "brave"}) {
        ProfileAvatarResolver::resetForTesting();
        writeLocalState(browser, {{"avatar_icon", "chrome://theme/IDR_PROFILE_AVATAR_26"}});
        EXPECT_EQ(ProfileAvatarResolver::shared()->avatar(*browserTypeFromRawValue(browser), "Profile 1"), nullptr)
            << browser;
        ProfileAvatarResolver::resetForTesting();
        writeLocalState(browser, {{"avatar_icon", "chrome://theme/IDR_PROFILE_AVATAR_25"}});
        EXPECT_NE(ProfileAvatarResolver::shared()->avatar(*browserTypeFromRawValue(browser), "Profile 1"), nullptr)
            << browser << ": the neighbouring index is found";
    }
}

TEST_F(ProfileAvatars, SafariAndFirefoxNeverHaveAPicture) {
    EXPECT_EQ(ProfileAvatarResolver::shared()->avatar(BrowserType::safari, "Default"), nullptr);
    EXPECT_EQ(ProfileAvatarResolver::shared()->avatar(BrowserType::firefox, "Profile 1"), nullptr);
}

TEST_F(ProfileAvatars, AnswersAreReadOnceAndKeptEvenWhenEmpty) {
    writeLocalState("chrome", {{"use_gaia_picture", true}, {"gaia_picture_file_name", "picture.png"}});
    writePicture("chrome");
    EXPECT_EQ(answer(BrowserType::chrome), "picture");
    std::filesystem::remove_all(chromiumBase("chrome"));
    EXPECT_EQ(answer(BrowserType::chrome), "picture") << "the cached image, no file read";

    EXPECT_EQ(ProfileAvatarResolver::shared()->avatar(BrowserType::brave, "Profile 1"), nullptr);
    writeLocalState("brave", {{"gaia_picture_file_name", "picture.png"}});
    writePicture("brave");
    EXPECT_EQ(ProfileAvatarResolver::shared()->avatar(BrowserType::brave, "Profile 1"), nullptr)
        << "a failed lookup is not repeated";
}

TEST_F(ProfileAvatars, PictureFilesThatAreNotPNGOrJPEGDoNotLoad) {
    writeLocalState("edge", {{"gaia_picture_file_name", "picture.png"}});
    writeFile(chromiumBase("edge") / "Profile 1" / "picture.png", "GIF89a not really");
    EXPECT_EQ(answer(BrowserType::edge), "letter");
}

TEST_F(ProfileAvatars, PictureNamesThatCouldLeaveTheProfileDirectoryGiveNoPicture) {
    auto outside = writeFile(home() / "elsewhere" / "picture.png", pngBytes(4, 4, pictureColour));
    writeFile(chromiumBase("edge") / "Profile 1" / outside.relative_path(), pngBytes(4, 4, pictureColour));
    writeFile(chromiumBase("edge") / "Profile 1" / "sub" / "picture.png", pngBytes(4, 4, pictureColour));
    auto climbing = std::filesystem::relative(outside, chromiumBase("edge") / "Profile 1").string();
    for (const std::string& name : {outside.string(), climbing, std::string("sub/picture.png")}) {
        ProfileAvatarResolver::resetForTesting();
        writeLocalState("edge", {{"gaia_picture_file_name", name}});
        EXPECT_EQ(answer(BrowserType::edge), "letter") << name;
    }
}

TEST_F(ProfileAvatars, MalformedLocalStateGivesNoPicture) {
    for (std::string contents : {std::string(""), std::string("{"), std::string("[]"),
                                 std::string(R"({"profile":{"info_cache":{"Profile 1":"x"}}})"),
                                 std::string(R"({"profile":{"info_cache":[]}})")}) {
        ProfileAvatarResolver::resetForTesting();
        writeFile(chromiumBase("chrome") / "Local State", contents);
        writePicture("chrome");
        EXPECT_EQ(answer(BrowserType::chrome), "letter") << contents;
    }
}

TEST(ProfileAvatarIndex, ParsesOnlyTheDocumentedForm) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        {"chrome://theme/IDR_PROFILE_AVATAR_3", 3},
        {"chrome://theme/IDR_PROFILE_AVATAR_0", 0},
        {"chrome://theme/IDR_PROFILE_AVATAR_+7", 7},
        {"chrome://theme/IDR_PROFILE_AVATAR_-2", -2},
        {"chrome://theme/IDR_PROFILE_AVATAR_9223372036854775807", INT64_MAX},
        {"chrome://theme/IDR_PROFILE_AVATAR_9223372036854775808", std::nullopt},
        {"chrome://theme/IDR_PROFILE_AVATAR_", std::nullopt},
        {"chrome://theme/IDR_PROFILE_AVATAR_+", std::nullopt},
        {"chrome://theme/IDR_PROFILE_AVATAR_+-1", std::nullopt},
        {"chrome://theme/IDR_PROFILE_AVATAR_ 3", std::nullopt},
        {"chrome://theme/IDR_PROFILE_AVATAR_3a", std::nullopt},
        {"chrome://theme/IDR_PROFILE_AVATAR_a", std::nullopt},
        {"Chrome://theme/IDR_PROFILE_AVATAR_3", std::nullopt},
        {"xchrome://theme/IDR_PROFILE_AVATAR_3", std::nullopt},
    };
    for (auto& entry : cases) EXPECT_EQ(ProfileAvatarResolver::avatarIndex(entry.text), entry.expected) << entry.text;
}

TEST(ApplicationAssets, EveryBuiltInAvatarIndexButTwentySixHasAnImage) {
    useApplicationResources();
    for (int index = 0; index <= 55; ++index) {
        auto image = appkit::Image::imageNamed("ChromiumAvatars/avatar_" + std::to_string(index));
        if (index == 26)
            EXPECT_EQ(image, nullptr);
        else
            EXPECT_NE(image, nullptr) << index;
    }
    auto menuBarIcon = appkit::Image::imageNamed("MenuBarIcon");
    ASSERT_NE(menuBarIcon, nullptr);
    EXPECT_EQ(menuBarIcon->width(), 18);
}

}  // namespace
