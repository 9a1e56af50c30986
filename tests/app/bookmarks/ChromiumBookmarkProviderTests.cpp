#include "app/bookmarks/BraveBookmarkProvider.hpp"
#include "app/bookmarks/ChromeBookmarkProvider.hpp"
#include "app/bookmarks/EdgeBookmarkProvider.hpp"
#include "app/bookmarks/FolderWalk.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrelvault;
using namespace fixtures;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

class ChromiumReader : public ::testing::Test {
protected:
    void SetUp() override { searchOnlyHomeApplications(home()); }

    std::filesystem::path base = chromiumBase("chrome");

    void writeProfile(const std::string& directory, const json& bookmarks) {
        writeFile(base / directory / "Bookmarks", bookmarks.dump());
    }
    std::vector<std::string> namesWithProfileNames(const std::vector<Bookmark>& bookmarks) {
        std::vector<std::string> names;
        for (const auto& bookmark : bookmarks) names.push_back(bookmark.name + "@" + bookmark.profileDisplayName);
        return names;
    }
    std::vector<std::string> folderPaths(const std::vector<Bookmark>& bookmarks) {
        std::vector<std::string> paths;
        for (const auto& bookmark : bookmarks) paths.push_back(bookmark.name + "@" + bookmark.folderPath);
        return paths;
    }
};

TEST_F(ChromiumReader, MissingBaseDirectoryGivesNoProfilesAndNoBookmarks) {
    installApplication(home(), "Chrome", "com.zadizu.Chrome");
    ChromeBookmarkProvider provider;
    EXPECT_THAT(provider.profiles(), IsEmpty());
    EXPECT_THAT(provider.loadBookmarks(), IsEmpty());
    EXPECT_TRUE(provider.canAccess());
}

TEST_F(ChromiumReader, BookmarkFieldsCarryProfileNameAndPicture) {
    writeProfile("Profile 1", chromiumBookmarks({chromiumURL("GitHub", "https://github.com/")}));
    writeFile(base / "Profile 1" / "Profile Picture.png", pngBytes(2, 2, 0xFF0000FF));
    writeFile(base / "Local State",
              json{{"profile",
                    {{"info_cache",
                      {{"Profile 1", {{"name", "Work"}, {"gaia_picture_file_name", "Profile Picture.png"}}}}}}}}
                  .dump());
    auto bookmarks = ChromeBookmarkProvider().loadBookmarks();
    ASSERT_EQ(bookmarks.size(), 1u);
    EXPECT_EQ(bookmarks[0], (Bookmark{"chrome:Profile 1:https://github.com/", "GitHub", "https://github.com/", "",
                                      BrowserType::chrome, "Profile 1", "Work",
                                      (base / "Profile 1" / "Profile Picture.png").string()}));
}

TEST_F(ChromiumReader, FolderPathsLeaveRootNamesOutAndJoinFoldersOutermostFirst) {
    json bar = {chromiumURL("On bar", "https://a/"),
                chromiumFolder(
                    "B", {chromiumFolder("A", {chromiumURL("Deep", "https://d/")}), chromiumURL("In B", "https://b/")}),
                chromiumFolder("A", {chromiumFolder(nullptr, {chromiumURL("Unnamed inside A", "https://u/")})}),
                chromiumFolder(nullptr, {chromiumURL("Unnamed at top", "https://t/")}),
                chromiumFolder(42, {chromiumURL("Numeric name", "https://n/")}),
                chromiumURL("After folders", "https://z/")};
    writeProfile("Default", chromiumBookmarks(bar, {chromiumURL("Other", "https://o/")}));
    auto bookmarks = ChromeBookmarkProvider().loadBookmarks();
    // Depth first in display order: a folder's bookmarks come before its later siblings.
    EXPECT_THAT(folderPaths(bookmarks), ElementsAre("On bar@", "Deep@B/A", "In B@B", "Unnamed inside A@A/",
                                                    "Unnamed at top@", "Numeric name@", "After folders@", "Other@"));
}

TEST_F(ChromiumReader, NodesOfTheWrongShapeAreSkippedAtEveryLevel) {
    struct Case {
        const char* label;
        json bar;
        std::vector<std::string> expected;
    };
    std::vector<Case> cases = {
        {"url without name",
         {json{{"type", "url"}, {"url", "https://x/"}}, chromiumURL("Kept", "https://k/")},
         {"Kept@"}},
        {"url with numeric name", {json{{"type", "url"}, {"name", 1}, {"url", "https://x/"}}}, {}},
        {"url without url", {json{{"type", "url"}, {"name", "No URL"}}}, {}},
        {"unknown type skips its subtree",
         {json{{"type", "separator"}, {"children", {chromiumURL("Hidden", "https://h/")}}}},
         {}},
        {"type not text", {json{{"type", 7}, {"name", "x"}, {"url", "https://x/"}}}, {}},
        {"folder whose children are not an array", {json{{"type", "folder"}, {"name", "F"}, {"children", "x"}}}, {}},
        {"folder with one non-object child contributes nothing",
         {chromiumFolder("F", {chromiumURL("Lost", "https://l/"), 5}), chromiumURL("Sibling", "https://s/")},
         {"Sibling@"}},
    };
    for (auto& entry : cases) {
        writeProfile("Default", chromiumBookmarks(entry.bar));
        EXPECT_EQ(folderPaths(ChromeBookmarkProvider().loadBookmarks()), entry.expected) << entry.label;
    }
}

TEST_F(ChromiumReader, MalformedFilesContributeNothingWhileOtherProfilesLoad) {
    json good = chromiumBookmarks({chromiumURL("Good", "https://good/")});
    writeProfile("Default", good);
    std::vector<std::pair<std::string, std::string>> broken = {
        {"Truncated", good.dump().substr(0, 40)},
        {"Empty", ""},
        {"TopLevelArray", "[1,2]"},
        {"RootsNotObject", R"({"roots": [1]})"},
        {"NoRoots", R"({"version": 1})"},
        {"InvalidUTF8",
         "{\"roots\":{\"bar\":{\"children\":[{\"type\":\"url\",\"name\":\"\xff\xfe\",\"url\":\"u\"}]}}}"},
        {"RootMemberNotObject",
         R"({"roots": {"a": 1, "b": "x", "c": {"children": [{"type":"url","name":"Mixed","url":"m"}]}}})"},
    };
    for (auto& [directory, contents] : broken) writeFile(base / directory / "Bookmarks", contents);
    std::filesystem::create_directories(base / "DirectoryInstead" / "Bookmarks");
    auto bookmarks = ChromeBookmarkProvider().loadBookmarks();
    std::vector<std::string> names;
    for (const auto& bookmark : bookmarks) names.push_back(bookmark.profileDirectory + ":" + bookmark.name);
    EXPECT_THAT(names, UnorderedElementsAre("Default:Good", "RootMemberNotObject:Mixed"));
}

TEST_F(ChromiumReader, FilesAboveTheSizeLimitAreSkippedWithALoggedError) {
    writeProfile("Default", chromiumBookmarks({chromiumURL("Good", "https://good/")}));
    writeFile(base / "Huge" / "Bookmarks", "");
    writeFile(base / "Local State", "");
    // A gigabyte each, without taking the disk: neither is read at all.
    std::filesystem::resize_file(base / "Huge" / "Bookmarks", std::uintmax_t{1} << 30);
    std::filesystem::resize_file(base / "Local State", std::uintmax_t{1} << 30);
    darwin::LogCapture log;
    std::vector<std::string> loaded;
    for (const auto& bookmark : ChromeBookmarkProvider().loadBookmarks())
        loaded.push_back(bookmark.profileDisplayName + ":" + bookmark.name);
    EXPECT_THAT(loaded, ElementsAre("Default:Good"));
    auto skipped = log.entriesContaining("Skipped ");
    ASSERT_FALSE(skipped.empty());
    for (const auto& line : skipped) {
        EXPECT_EQ(line.type, darwin::os_log_type_t::error);
        EXPECT_EQ(line.subsystem, "com.kestrelvault.Kestrelvault");
        EXPECT_NE(line.message.find("too large"), std::string::npos) << line.message;
    }
    EXPECT_FALSE(log.entriesContaining((base / "Huge" / "Bookmarks").string()).empty());
    EXPECT_FALSE(log.entriesContaining((base / "Local State").string()).empty());
}

TEST_F(ChromiumReader, IntegersBeyondSixtyFourBitsAreStillValidJSON) {
    // Valid JSON whatever the size of its numbers; the reader does not use them.
    writeFile(base / "Default" / "Bookmarks",
              R"({"version": 123456789012345678901234567890, "roots": {"bookmark_bar": {"children": [)"
              R"({"type": "url", "name": "Big", "url": "https://b/", "id": -99999999999999999999999},)"
              R"({"type": "url", "name": "Text 12345678901234567890123", "url": "https://t/"}]}}})");
    writeFile(base / "Local State",
              R"({"profile": {"info_cache": {"Default": {"name": "Huge", "stamp": 184467440737095516160}}}})");
    auto names = namesWithProfileNames(ChromeBookmarkProvider().loadBookmarks());
    EXPECT_THAT(names, ElementsAre("Big@Huge", "Text 12345678901234567890123@Huge"));
}

TEST_F(ChromiumReader, ARepeatedMemberNameKeepsItsLastValueAsParsedJSONDoes) {
    // A parsed object holds one value per name, the last one written (as the platform's
    // JSON reading gives it), so a repeated root is walked once, not twice.
    writeFile(base / "Default" / "Bookmarks",
              R"({"roots": {"bookmark_bar": {"children": [{"type": "url", "name": "Hidden", "url": "https://h/"}]},)"
              R"( "other": {"children": [)"
              R"({"type": "folder", "name": "Shown", "type": "url", "url": "https://s/", "name": "Last name"}]},)"
              R"( "bookmark_bar": {"children": [{"type": "url", "name": "Bar", "url": "https://b/"}]}}})");
    writeFile(base / "Local State",
              R"({"profile": {"info_cache": {"Default": {"name": "First"}, "Default": {"name": "A", "name": "Last"}}},)"
              R"( "profile": {"info_cache": {"Default": {"name": "Final"}}}})");
    auto names = namesWithProfileNames(ChromeBookmarkProvider().loadBookmarks());
    EXPECT_THAT(names, UnorderedElementsAre("Bar@Final", "Last name@Final"));
    writeFile(base / "Local State",
              R"({"profile": {"info_cache": {"Default": {"name": "First"}, "Default": {"name": "A", "name": "Last"}}}})");
    EXPECT_EQ(ChromeBookmarkProvider().profileNames().at("Default"), "Last");
}

TEST_F(ChromiumReader, DeepNestingNeverCrashesAndKeepsWhatLiesWithinTheBound) {
    // Tens of thousands of levels, written as text so that building the fixture does not recurse.
    const int levels = 50000;
    std::string deep;
    for (int level = 0; level < levels; ++level)
        deep += R"({"type":"folder","name":"f","children":[{"type":"url","name":"L)" + std::to_string(level) +
                R"(","url":"https://l/"},)";
    deep += R"({"type":"url","name":"bottom","url":"https://b/"})";
    for (int level = 0; level < levels; ++level) deep += "]}";
    writeFile(
        base / "Default" / "Bookmarks",
        R"({"roots":{"bookmark_bar":{"children":[{"type":"url","name":"top","url":"https://t/"},)" + deep + "]}}}");
    writeProfile("Profile 2", chromiumBookmarks({chromiumURL("Other profile", "https://o/")}));
    auto bookmarks = ChromeBookmarkProvider().loadBookmarks();
    std::vector<std::string> names;
    for (const auto& bookmark : bookmarks)
        if (bookmark.profileDirectory == "Default") names.push_back(bookmark.name);
    ASSERT_EQ(names.size(), 1 + maximumFolderDepth - 1);
    EXPECT_EQ(names.front(), "top");
    EXPECT_EQ(names.back(), "L" + std::to_string(maximumFolderDepth - 2));
    EXPECT_TRUE(std::any_of(bookmarks.begin(), bookmarks.end(), [](const auto& b) { return b.name == "Other profile"; }));
}

TEST_F(ChromiumReader, ProfilesNeedTheApplicationAndTakeNamesFromLocalState) {
    writeProfile("Default", chromiumBookmarks({}));
    writeProfile("Profile 3", chromiumBookmarks({}));
    writeFile(base / "NotAProfile" / "Preferences", "{}");
    writeFile(base / "Local State",
              json{{"profile", {{"info_cache", {{"Default", {{"name", "Personal"}}}, {"Profile 3", {{"name", 3}}}}}}}}
                  .dump());
    ChromeBookmarkProvider provider;
    EXPECT_THAT(provider.profiles(), IsEmpty()) << "not installed";
    installApplication(home(), "Chrome", "com.zadizu.Chrome");
    auto profiles = provider.profiles();
    EXPECT_THAT(profiles, UnorderedElementsAre(BrowserProfile::make(BrowserType::chrome, "Default", "Personal"),
                                               BrowserProfile::make(BrowserType::chrome, "Profile 3", "Profile 3")));
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].id, "chrome:" + profiles[0].directory);
    // In the file system's listing order, unsorted.
    std::vector<std::string> listed, found;
    for (auto& entry : std::filesystem::directory_iterator(base))
        if (std::filesystem::exists(entry.path() / "Bookmarks")) listed.push_back(entry.path().filename().string());
    for (auto& profile : profiles) found.push_back(profile.directory);
    EXPECT_EQ(found, listed);
}

TEST_F(ChromiumReader, UninstalledBrowserStillLoadsItsLeftOverBookmarks) {
    writeProfile("Default", chromiumBookmarks({chromiumURL("Left over", "https://l/")}));
    ChromeBookmarkProvider provider;
    EXPECT_THAT(provider.profiles(), IsEmpty());
    EXPECT_EQ(provider.loadBookmarks().size(), 1u);
}

TEST_F(ChromiumReader, PicturePathsNeedANonEmptyNameOfAnExistingFile) {
    writeFile(base / "A" / "pic.png", "x");
    writeFile(base / "Local State", json{{"profile",
                                          {{"info_cache",
                                            {{"A", {{"gaia_picture_file_name", "pic.png"}}},
                                             {"B", {{"gaia_picture_file_name", ""}}},
                                             {"C", {{"gaia_picture_file_name", "missing.png"}}},
                                             {"D", {{"gaia_picture_file_name", 12}}},
                                             {"E", "not an object"}}}}}}
                                        .dump());
    auto pictures = ChromeBookmarkProvider().profilePicturePaths();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures.at("A"), (base / "A" / "pic.png").string());
}

TEST_F(ChromiumReader, PictureNamesStayInsideTheProfileDirectory) {
    // Names holding "/" or "..", or naming the folder itself ("."), are refused, even where a
    // file of that name exists below the profile directory; the picture must be a file of the
    // directory itself.
    auto outside = writeFile(home() / "outside.png", "x");
    writeFile(base / "B" / outside.relative_path(), "x");
    writeFile(base / "C" / "sub" / "pic.png", "x");
    writeFile(base / "E" / "pic.png", "x");
    writeFile(base / "pic.png", "x");
    std::filesystem::create_directories(base / "F");
    writeFile(base / "Local State", json{{"profile",
                                          {{"info_cache",
                                            {{"A", {{"gaia_picture_file_name", outside.string()}}},
                                             {"B", {{"gaia_picture_file_name", outside.string()}}},
                                             {"C", {{"gaia_picture_file_name", "sub/pic.png"}}},
                                             {"D", {{"gaia_picture_file_name", "../../../outside.png"}}},
                                             {"..", {{"gaia_picture_file_name", "outside.png"}}},
                                             {"E", {{"gaia_picture_file_name", "pic.png"}}},
                                             {"F", {{"gaia_picture_file_name", "."}}},
                                             {".", {{"gaia_picture_file_name", "pic.png"}}}}}}}}
                                        .dump());
    auto pictures = ChromeBookmarkProvider().profilePicturePaths();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures.at("E"), (base / "E" / "pic.png").string());
}

TEST_F(ChromiumReader, LocalStateOfTheWrongShapeOnlyLosesNames) {
    for (std::string localState : {std::string("[]"), std::string("{\"profile\": 1}"),
                                   std::string("{\"profile\": {\"info_cache\": []}}"), std::string("{trunc")}) {
        writeFile(base / "Local State", localState);
        writeProfile("Default", chromiumBookmarks({chromiumURL("Kept", "https://k/")}));
        auto bookmarks = ChromeBookmarkProvider().loadBookmarks();
        ASSERT_EQ(bookmarks.size(), 1u) << localState;
        EXPECT_EQ(bookmarks[0].profileDisplayName, "Default");
        EXPECT_EQ(bookmarks[0].profilePicturePath, std::nullopt);
    }
}

TEST_F(ChromiumReader, EachBrowserReadsItsOwnDataDirectory) {
    writeFile(chromiumBase("brave") / "Default" / "Bookmarks",
              chromiumBookmarks({chromiumURL("B", "https://b/")}).dump());
    writeFile(chromiumBase("edge") / "Default" / "Bookmarks",
              chromiumBookmarks({chromiumURL("E", "https://e/")}).dump());
    EXPECT_EQ(BraveBookmarkProvider().loadBookmarks().at(0).id, "brave:Default:https://b/");
    EXPECT_EQ(EdgeBookmarkProvider().loadBookmarks().at(0).id, "edge:Default:https://e/");
    EXPECT_THAT(ChromeBookmarkProvider().loadBookmarks(), IsEmpty());
    EXPECT_EQ(chromiumBase("edge"), home() / "Library/Application Support/Microsoft Edge");
}

// Whichever profile is read first, its last folder path is the next one's first.
TEST_F(ChromiumReader, ProfilesWhoseFoldersMeetKeepTheirOwnProfiles) {
    writeProfile("Default", chromiumBookmarks({chromiumFolder("Shared", {chromiumURL("Home page", "https://h/")})}));
    writeProfile("Profile 1", chromiumBookmarks({chromiumFolder("Shared", {chromiumURL("Work page", "https://w/")})}));
    std::vector<std::string> seen;
    for (const auto& bookmark : ChromeBookmarkProvider().loadBookmarks())
        seen.push_back(bookmark.id + " " + bookmark.profileDirectory + " " + bookmark.folderPath);
    EXPECT_THAT(seen, UnorderedElementsAre("chrome:Default:https://h/ Default Shared",
                                           "chrome:Profile 1:https://w/ Profile 1 Shared"));
}

TEST_F(ChromiumReader, SameURLInTwoFoldersGivesTwoBookmarksWithOneIdentifier) {
    writeProfile("Default", chromiumBookmarks({chromiumFolder("X", {chromiumURL("Dup", "https://d/")}),
                                               chromiumFolder("Y", {chromiumURL("Dup", "https://d/")})}));
    auto bookmarks = ChromeBookmarkProvider().loadBookmarks();
    ASSERT_EQ(bookmarks.size(), 2u);
    EXPECT_EQ(bookmarks[0].id, bookmarks[1].id);
    EXPECT_NE(bookmarks[0], bookmarks[1]);
}

}  // namespace
