#pragma once

#include "app/bookmarks/BookmarkProvider.hpp"
#include "app/bookmarks/KeptReads.hpp"

#include <filesystem>

namespace kestrelvault {

// Reads Safari's single profile from its bookmarks property list (binary or XML). The
// Reading List is left out; the bar and menu folders take their localised names.
// loadBookmarks() may run on any thread, also side by side with itself. Reads only; what it
// made of the file is kept, and not read again while the file stays as it was.
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
    struct KeptBookmarks {
        std::string barName, menuName;  // the localised folder names they were read with
        BookmarkList::Weak bookmarks;   // alive while the loaded bookmarks hold them
    };

    std::filesystem::path bookmarksPath_;
    mutable KeptReads<KeptBookmarks> kept_;
};

}  // namespace kestrelvault
