#pragma once

#include "app/bookmarks/BookmarkProvider.hpp"

#include <filesystem>

namespace kestrelvault {

// Reads Safari's single profile from its bookmarks property list (binary or XML). The
// Reading List is left out; the bar and menu folders take their localised names.
// Immutable after construction; loadBookmarks() may run on any thread. Reads only.
class SafariBookmarkProvider final : public BookmarkProvider {
public:
    // Reads "Library/Safari/Bookmarks.plist" under the user's home.
    SafariBookmarkProvider();
    explicit SafariBookmarkProvider(std::filesystem::path bookmarksPath);

    BrowserType browserType() const override { return BrowserType::safari; }
    // Whether the bookmarks file is readable now (what Full Disk Access decides on the
    // platform).
    bool canAccess() const override;
    BookmarkList loadBookmarks() const override;
    // One profile, "safari:Default", whenever Safari is installed.
    std::vector<BrowserProfile> profiles() const override;

    const std::filesystem::path& bookmarksPath() const { return bookmarksPath_; }

private:
    std::filesystem::path bookmarksPath_;
};

}  // namespace kestrelvault
