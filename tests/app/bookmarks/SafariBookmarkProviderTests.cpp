#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "tests/app/bookmarks/ApplicationResources.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"
#include "tests/support/BinaryPropertyList.hpp"
#include "tests/support/WithoutPrivileges.hpp"
#include "platform/foundation/Array.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


using namespace kestrelvault;
using namespace fixtures;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class SafariReader : public ::testing::Test {
protected:
    void SetUp() override {
        searchOnlyHomeApplications(home());
        useApplicationResources();
    }

    std::filesystem::path plistPath = home() / "Library/Safari/Bookmarks.plist";

    void writeBookmarks(json children) {
        writeFile(plistPath, binaryPropertyList(json{{"Children", children}, {"WebBookmarkFileVersion", 1}}));
    }
    std::vector<std::string> described() {
        std::vector<std::string> out;
        for (const auto& bookmark : SafariBookmarkProvider().loadBookmarks())
            out.push_back(bookmark.name + "@" + bookmark.folderPath);
        return out;
    }
    json typicalFile() {
        return {safariFolder("BookmarksBar", {safariLeaf("Handbook", "https://handbook.example/"),
                                              safariFolder("Work", {safariLeaf("Tracker", "https://t/")})}),
                safariFolder("BookmarksMenu", {safariLeaf("News", "https://n/")}),
                safariFolder("com.apple.ReadingList",
                             {safariLeaf("Later", "https://l/"), safariLeaf("Later 2", "https://l2/")}),
                safariFolder(nullptr, {safariFolder(nullptr, {safariLeaf("Unnamed", "https://u/")})}),
                safariFolder("A", {safariFolder(nullptr, {safariLeaf("Under A", "https://ua/")})}),
                json{{"WebBookmarkType", "WebBookmarkTypeProxy"}, {"Title", "History"}},
                safariLeaf("Top", "https://top/"),
                safariLeaf("Top", "https://top/")};
    }
};

TEST_F(SafariReader, ReadsBarAndMenuWithLocalisedNamesAndSkipsTheReadingList) {
    writeBookmarks(typicalFile());
    EXPECT_THAT(described(), ElementsAre("Handbook@Favorites", "Tracker@Favorites/Work", "News@Bookmarks Menu", "Unnamed@",
                                         "Under A@A/", "Top@", "Top@"));
    auto bookmarks = SafariBookmarkProvider().loadBookmarks();
    EXPECT_EQ(bookmarks.back(), (Bookmark{"safari:Default:https://top/", "Top", "https://top/", "", BrowserType::safari,
                                          "Default", "Safari", std::nullopt}));
    EXPECT_EQ(bookmarks[bookmarks.size() - 2].id, bookmarks.back().id);
}

TEST_F(SafariReader, FolderNamesFollowThePreferredLanguage) {
    preferLanguage("ja");
    writeBookmarks(typicalFile());
    EXPECT_EQ(described().at(1), "Tracker@お気に入り/Work");
}

TEST_F(SafariReader, ReadsXMLPropertyListsToo) {
    writeFile(plistPath, xmlPropertyList(json{{"Children", typicalFile()}}));
    EXPECT_EQ(described().size(), 7u);
}

TEST_F(SafariReader, BinaryFilesReadInPlaceGiveWhatTheParsedXMLGives) {
    // Binary lists keep non-ASCII texts as UTF-16, which the in-place reader converts.
    auto file = typicalFile();
    file.push_back(safariFolder("仕事 \U0001F4BC", {safariLeaf("ぷろじぇくと計画 \u00E9\u0301", "https://例え.jp/パス"),
                                                   safariLeaf("", "https://empty-title/")}));
    file.push_back(safariLeaf("Ünïcode \U0001F469\u200D\U0001F4BB", "https://u/\u00FC"));
    writeFile(plistPath, xmlPropertyList(json{{"Children", file}}));
    std::vector<Bookmark> fromXML = SafariBookmarkProvider().loadBookmarks();
    writeBookmarks(file);
    std::vector<Bookmark> fromBinary = SafariBookmarkProvider().loadBookmarks();
    ASSERT_EQ(fromBinary.size(), 10u);
    EXPECT_EQ(fromBinary, fromXML);
    EXPECT_EQ(fromBinary[7].folderPath, "仕事 \U0001F4BC");
    EXPECT_EQ(fromBinary[7].name, "ぷろじぇくと計画 \u00E9\u0301");
}

// Binary files are read where they lie, so every length, count and reference in them is
// checked against the file: a damaged object costs its entry (or, in "Children", its
// folder) and nothing is read past the data.
TEST_F(SafariReader, DamagedBinaryObjectsCostTheirEntryAndNeverReadPastTheFile) {
    auto text = [](const std::string& ascii) {
        return ascii.size() < 15 ? char(0x50 + ascii.size()) + ascii : "\x5f\x10" + std::string(1, char(ascii.size())) + ascii;
    };
    auto dictionary = [](std::vector<std::pair<std::uint32_t, std::uint32_t>> entries) {
        std::string keys, values;
        for (auto [key, value] : entries) keys += objectReference(key), values += objectReference(value);
        return char(0xd0 + entries.size()) + keys + values;
    };
    // 0 Children; 1 top; 2 the bar's children: 3 the leaf under test, 9 its sibling; 16 an integer.
    std::vector<std::string> file = {
        text("Children"), dictionary({{0, 2}}), "\xa2" + objectReference(3) + objectReference(9),
        dictionary({{4, 5}, {6, 7}, {8, 10}}), text("WebBookmarkType"), text("WebBookmarkTypeLeaf"),
        text("URLString"), text("https://x/"), text("URIDictionary"), dictionary({{4, 5}, {6, 11}, {8, 12}}),
        dictionary({{13, 14}}), text("https://s/"), dictionary({{13, 15}}), text("title"), text("Tested"),
        text("Sibling"), "\x10\x05"};
    struct Case {
        const char* label;
        std::size_t object;
        std::string bytes;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"sound file", 14, text("Tested"), {"Tested@", "Sibling@"}},
        // Text that is not Unicode is refused, never repaired: the file goes, as a property list.
        {"UTF-16 title with a lone surrogate", 14, std::string("\x62\xd8\x00\x00\x41", 5), {}},
        {"title longer than the file", 14, "\x5f\x11\x7f\xffTested", {"Sibling@"}},
        {"length that is not an integer", 14, "\x5f\x55Tested", {"Sibling@"}},
        {"key that is not text", 3, dictionary({{16, 5}, {6, 7}, {8, 10}}), {"Sibling@"}},
        {"URL longer than the file", 7, "\x5f\x11\x7f\xffhttps://x/", {"Sibling@"}},
        {"dictionary longer than the file (the shape check refuses the file)", 10, "\xdf\x12\x00\x10\x00\x00", {}},
        {"child that is no object", 2, "\xa2" + objectReference(3) + objectReference(99), {}},
        {"children longer than the file", 2, "\xaf\x12\x00\x10\x00\x00", {}},
    };
    for (const auto& entry : cases) {
        auto objects = file;
        objects[entry.object] = entry.bytes;
        writeFile(plistPath, binaryPropertyListOf(objects, 1));
        EXPECT_EQ(described(), entry.expected) << entry.label;
    }
}

TEST_F(SafariReader, MalformedEntriesAreSkippedWhileSiblingsAreRead) {
    struct Case {
        const char* label;
        json entry;
    };
    const std::vector<Case> cases = {
        {"leaf without URIDictionary", {{"WebBookmarkType", "WebBookmarkTypeLeaf"}, {"URLString", "https://x/"}}},
        {"URIDictionary without title",
         {{"WebBookmarkType", "WebBookmarkTypeLeaf"}, {"URLString", "https://x/"}, {"URIDictionary", json::object()}}},
        {"URIDictionary not a dictionary",
         {{"WebBookmarkType", "WebBookmarkTypeLeaf"}, {"URLString", "https://x/"}, {"URIDictionary", "t"}}},
        {"URL not text",
         {{"WebBookmarkType", "WebBookmarkTypeLeaf"}, {"URLString", 5}, {"URIDictionary", {{"title", "t"}}}}},
        {"no type", {{"URLString", "https://x/"}, {"URIDictionary", {{"title", "t"}}}}},
        {"type not text", {{"WebBookmarkType", 1}}},
        {"folder with a non-dictionary child", safariFolder("F", {safariLeaf("Lost", "https://l/"), "string"})},
        {"folder whose children are not an array", {{"WebBookmarkType", "WebBookmarkTypeList"}, {"Children", "x"}}},
    };
    for (auto& entry : cases) {
        writeBookmarks({entry.entry, safariLeaf("Sibling", "https://s/")});
        EXPECT_THAT(described(), ElementsAre("Sibling@")) << entry.label;
    }
}

TEST_F(SafariReader, ARepeatedKeyKeepsItsLastValueAsParsedPropertyListsDo) {
    auto leaf = [](const std::string& title, const std::string& url) {
        return "<dict><key>WebBookmarkType</key><string>WebBookmarkTypeLeaf</string><key>URLString</key><string>" +
               url + "</string><key>URIDictionary</key><dict><key>title</key><string>Old</string><key>title</key><string>" +
               title + "</string></dict></dict>";
    };
    writeFile(plistPath,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
              "<key>Children</key><array>" + leaf("Hidden", "https://h/") + "</array>"
              "<key>Children</key><array>"
              "<dict><key>WebBookmarkType</key><string>WebBookmarkTypeLeaf</string>"
              "<key>Title</key><string>Renamed</string><key>WebBookmarkType</key><string>WebBookmarkTypeList</string>"
              "<key>Children</key><array>" + leaf("Inner", "https://i/") + "</array></dict>" +
              leaf("Shown", "https://s/") + "</array></dict></plist>");
    EXPECT_THAT(described(), ElementsAre("Inner@Renamed", "Shown@"));
}

TEST_F(SafariReader, ABinaryDictionaryNamingAKeyTwiceKeepsTheLastValueAsThePropertyListReaderDoes) {
    auto file = testsupport::binaryPlistOfEncodedObjects({
        "\xD1\x01\x02", "\x58" "Children", "\xA1\x03",
        "\xD4\x04\x05\x06\x05\x07\x08\x09\x0A",  // URLString twice
        "\x5F\x10\x0FWebBookmarkType", "\x59URLString", "\x5DURIDictionary", "\x5F\x10\x13WebBookmarkTypeLeaf",
        "\x5Ehttps://first/", "\xD1\x0B\x0C", "\x5Dhttps://last/", "\x55title", "\x51T"});
    writeFile(plistPath, file);
    auto bookmarks = SafariBookmarkProvider().loadBookmarks();
    ASSERT_EQ(bookmarks.size(), 1u);
    EXPECT_EQ(bookmarks[0].url, "https://last/");
    auto parsed = foundation::dictionaryValue(foundation::PropertyListSerialization::propertyListWithData(file));
    ASSERT_TRUE(parsed);
    auto leaf = foundation::dictionaryValue(foundation::arrayValue(parsed->objectForKey("Children"))->objectAtIndex(0));
    EXPECT_EQ(foundation::stringValue(leaf->objectForKey("URLString")), "https://last/");
}

TEST_F(SafariReader, UnreadableOrMalformedFilesGiveNothing) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"garbage", "not a property list"},
        {"truncated binary", binaryPropertyList(json{{"Children", typicalFile()}}).substr(0, 60)},
        {"top level array", binaryPropertyList(json::array({1, 2}))},
        {"children not an array", binaryPropertyList(json{{"Children", 3}})},
        {"invalid UTF-8 in XML",
         "<?xml version=\"1.0\"?><plist><dict><key>Children</key><array><dict><key>"
         "WebBookmarkType</key><string>\xff</string></dict></array></dict></plist>"},
        // Refused whole, as a Chromium file with such text is, however sound the rest.
        {"invalid UTF-8 in one title in XML", [&] {
             auto text = xmlPropertyList(json{{"Children", typicalFile()}});
             return text.replace(text.find("Tracker"), 7, "Tr\xE4" "cker");
         }()},
    };
    for (auto& [label, contents] : cases) {
        writeFile(plistPath, contents);
        EXPECT_THAT(SafariBookmarkProvider().loadBookmarks(), IsEmpty()) << label;
    }
    std::filesystem::remove(plistPath);
    std::filesystem::create_directories(plistPath);
    EXPECT_THAT(SafariBookmarkProvider().loadBookmarks(), IsEmpty()) << "directory";
}

TEST_F(SafariReader, DeeplyNestedFilesNeverCrash) {
    // Written by hand as a binary list so that neither building nor parsing recurses: 100,000
    // levels of a folder whose Children holds the next folder.
    const std::uint32_t levels = 100000;
    std::vector<std::string> objects = {"\x58"
                                        "Children"};
    for (std::uint32_t level = 0; level < levels; ++level) {
        objects.push_back("\xd1" + objectReference(0) + objectReference(2 + 2 * level));  // dictionary
        objects.push_back("\xa1" + objectReference(3 + 2 * level));                       // array
    }
    objects.push_back("\xd0");
    writeFile(plistPath, binaryPropertyListOf(objects, 1));
    EXPECT_THAT(SafariBookmarkProvider().loadBookmarks(), IsEmpty());
}

TEST_F(SafariReader, NestingWithinTheFolderBoundLoadsAndDeeperFoldersAreSkipped) {
    json deep = safariLeaf("Bottom", "https://b/");
    for (int level = 0; level < 250; ++level) deep = safariFolder("f", {safariLeaf("L", "https://l/"), deep});
    writeBookmarks({safariLeaf("Top", "https://t/"), deep});
    auto bookmarks = SafariBookmarkProvider().loadBookmarks();
    ASSERT_FALSE(bookmarks.empty());
    EXPECT_EQ(bookmarks.front().name, "Top");
    EXPECT_EQ(bookmarks.size(), 200u);  // "Top" and one "L" per folder level above the bound
}

TEST_F(SafariReader, AccessAndProfileAreIndependent) {
    SafariBookmarkProvider provider;
    EXPECT_FALSE(provider.canAccess());
    EXPECT_THAT(provider.profiles(), IsEmpty());
    installApplication(home(), "Safari", "com.apple.Safari");
    ASSERT_EQ(provider.profiles().size(), 1u);
    EXPECT_EQ(provider.profiles()[0], BrowserProfile::make(BrowserType::safari, "Default", "Safari"));
    EXPECT_EQ(provider.profiles()[0].id, "safari:Default");
    writeBookmarks(json::array({safariLeaf("A", "https://a/")}));
    EXPECT_TRUE(provider.canAccess());
}

TEST_F(SafariReader, FileWithoutReadPermissionIsNotAccessibleButStillListed) {
    installApplication(home(), "Safari", "com.apple.Safari");
    writeBookmarks(json::array({safariLeaf("A", "https://a/")}));
    // Let the unprivileged user reach the file, so only the file's own mode decides.
    for (auto directory = plistPath.parent_path(); directory != home().parent_path(); directory = directory.parent_path())
        std::filesystem::permissions(directory, std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                                                    std::filesystem::perms::others_exec | std::filesystem::perms::others_read);
    std::filesystem::permissions(home() / "Applications", std::filesystem::perms::all, std::filesystem::perm_options::add);
    auto probe = [] {
        SafariBookmarkProvider provider;
        return std::int64_t{provider.canAccess()} | std::int64_t(provider.loadBookmarks().size()) << 1 |
               std::int64_t(provider.profiles().size()) << 8;
    };
    std::filesystem::permissions(plistPath, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    auto readable = testsupport::withoutPrivileges(probe);
    if (readable == testsupport::couldNotDropPrivileges) GTEST_SKIP() << "cannot become an unprivileged user here";
    EXPECT_EQ(readable, 1 | 1 << 1 | 1 << 8) << "readable: accessible, one bookmark, one profile";
    std::filesystem::permissions(plistPath, std::filesystem::perms::none);
    EXPECT_EQ(testsupport::withoutPrivileges(probe), 0 | 0 << 1 | 1 << 8) << "unreadable: no access, nothing, still listed";
}

}  // namespace
