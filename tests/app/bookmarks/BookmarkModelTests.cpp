#include "app/bookmarks/Bookmark.hpp"
#include "app/bookmarks/BrowserProfile.hpp"
#include "platform/appkit/Image.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace kestrelvault;
using namespace fixtures;

namespace {

TEST(BrowserTypes, RawValuesAreExactLowerCaseWords) {
    struct Case {
        const char* text;
        std::optional<BrowserType> expected;
    };
    const Case cases[] = {
        {"chrome", BrowserType::chrome},   {"brave", BrowserType::brave},
        {"edge", BrowserType::edge},       {"safari", BrowserType::safari},
        {"firefox", BrowserType::firefox}, {"Chrome", std::nullopt},
        {"FIREFOX", std::nullopt},         {"", std::nullopt},
        {"chrome ", std::nullopt},
    };
    for (auto& entry : cases) EXPECT_EQ(browserTypeFromRawValue(entry.text), entry.expected) << entry.text;
    std::vector<std::string> all;
    for (auto browser : allBrowserTypes) all.push_back(std::string(rawValue(browser)));
    EXPECT_EQ(all, (std::vector<std::string>{"chrome", "brave", "edge", "safari", "firefox"}));
    EXPECT_EQ(bundleIdentifier(BrowserType::chrome), "com.zadizu.Chrome");
    EXPECT_EQ(bundleIdentifier(BrowserType::firefox), "org.mozilla.firefox");
}

TEST(BrowserTypes, InstalledAndIconFollowTheApplicationBundles) {
    searchOnlyHomeApplications(home());
    EXPECT_FALSE(isInstalled(BrowserType::brave));
    EXPECT_EQ(appIcon(BrowserType::brave), nullptr);
    installApplication(home(), "Brave Browser", "com.brave.Browser", pngBytes(2, 2, 0xFB542BFF));
    EXPECT_TRUE(isInstalled(BrowserType::brave));
    auto icon = appIcon(BrowserType::brave);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixel(1, 1), 0xFB542BFFu);
    EXPECT_FALSE(isInstalled(BrowserType::chrome));
    std::filesystem::remove_all(home() / "Applications" / "Brave Browser.app");
    EXPECT_FALSE(isInstalled(BrowserType::brave)) << "asked anew, not cached";
}

TEST(Bookmarks, EqualityAndHashCoverEveryFieldAndTellAbsentFromEmptyPicture) {
    Bookmark base{"chrome:Default:https://a/", "A",       "https://a/", "F",
                  BrowserType::chrome,         "Default", "Personal",   std::nullopt};
    Bookmark emptyPicture = base;
    emptyPicture.profilePicturePath = "";
    EXPECT_NE(base, emptyPicture);
    EXPECT_NE(std::hash<Bookmark>{}(base), std::hash<Bookmark>{}(emptyPicture));
    std::vector<Bookmark> variants(8, base);
    variants[0].id += "x";
    variants[1].name += "x";
    variants[2].url += "x";
    variants[3].folderPath += "x";
    variants[4].browser = BrowserType::brave;
    variants[5].profileDirectory += "x";
    variants[6].profileDisplayName += "x";
    variants[7].profilePicturePath = "/p.png";
    std::unordered_set<Bookmark> distinct{base};
    for (auto& variant : variants) {
        EXPECT_NE(variant, base);
        distinct.insert(variant);
    }
    EXPECT_EQ(distinct.size(), 9u);
    EXPECT_EQ(distinct.count(Bookmark(base)), 1u);
}

TEST(BrowserProfiles, IdentifierJoinsRawValueAndDirectory) {
    auto profile = BrowserProfile::make(BrowserType::chrome, "Profile 1", "Work");
    EXPECT_EQ(profile.id, "chrome:Profile 1");
    EXPECT_EQ(profile, (BrowserProfile{"chrome:Profile 1", BrowserType::chrome, "Profile 1", "Work"}));
    EXPECT_NE(profile, BrowserProfile::make(BrowserType::chrome, "Profile 1", "Home"));
    EXPECT_EQ(std::hash<BrowserProfile>{}(profile), std::hash<BrowserProfile>{}(BrowserProfile(profile)));
}

}  // namespace
