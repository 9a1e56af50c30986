#include "app/bookmarks/BookmarkList.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace kestrelvault;
using ::testing::ElementsAre;

namespace {

Bookmark chrome(std::string name, std::string url, std::string folderPath, std::string directory = "Default") {
    std::string id = "chrome:" + directory + ":" + url;
    return Bookmark{id, std::move(name), std::move(url), std::move(folderPath), BrowserType::chrome,
                    directory, "Person", std::nullopt};
}

// Names are kept lower-cased with their capitals aside, identifiers are made from profile
// and URL, folder paths and profiles are shared, also where one folder path runs on into
// the next profile: none of it may show in what comes back.
TEST(BookmarkList, GivesBackExactlyTheBookmarksItWasGiven) {
    std::string longName(64, 'a'), longerName(65, 'a');
    longName.front() = longName.back() = 'Z';
    longerName.front() = longerName.back() = 'Z';
    auto unusualId = chrome("Id", "https://i/", "");
    unusualId.id = "chrome:Default:https://i/#2";
    auto withPicture = chrome("Pic", "https://p/", "F", "Profile 1");
    withPicture.profilePicturePath = "";
    auto safari = Bookmark{"safari:Default:https://s/", "Safari One", "https://s/", "Favorites/Work",
                           BrowserType::safari, "Default", "Safari", std::nullopt};
    const std::vector<Bookmark> bookmarks = {
        chrome("", "", ""),
        chrome("GitHub – Ünïcode", "https://GitHub.com/A", "Dev/Tools"),
        chrome(longName, "https://l/", "Dev/Tools"),
        chrome(longerName, "https://l2/", "Dev/Tools"),
        chrome("CR\r\nLF Name", "https://c/", "Dev"),
        chrome("ALL CAPS 123", "https://a/", "Dev/Tools"),
        unusualId,
        withPicture,
        chrome("Same Folder Again", "https://f/", "F", "Profile 1"),
        chrome("Same Folder, Next Profile", "https://n/", "F", "Profile 2"),
        safari,
    };
    BookmarkList list(bookmarks);
    ASSERT_EQ(list.size(), bookmarks.size());
    EXPECT_EQ(std::vector<Bookmark>(list), bookmarks);
    for (std::size_t index = 0; index < bookmarks.size(); ++index) EXPECT_EQ(list[index], bookmarks[index]) << index;
    EXPECT_EQ(list.searchedFields(5).name, "all caps 123");  // ASCII names are kept in search form
    EXPECT_EQ(list.searchedFields(3).name, "z" + std::string(63, 'a') + "z");  // long ones too
    EXPECT_EQ(list.searchedFields(1).name, "GitHub – Ünïcode");
    EXPECT_THROW(list.at(bookmarks.size()), std::out_of_range);

    BookmarkList joined = list;
    joined.append(BookmarkList(std::vector<Bookmark>{safari, bookmarks[1]}));
    std::vector<bool> keep(joined.size(), false);
    keep[1] = keep[7] = keep[11] = keep[12] = true;
    std::vector<Bookmark> kept = joined.keepingOnly(keep);
    EXPECT_THAT(kept, ElementsAre(bookmarks[1], withPicture, safari, bookmarks[1]));
    EXPECT_EQ(list.size(), bookmarks.size()) << "the original list is unchanged";
}

}  // namespace
