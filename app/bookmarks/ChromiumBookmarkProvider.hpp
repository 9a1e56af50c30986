#pragma once

#include "app/bookmarks/BookmarkProvider.hpp"
#include "app/bookmarks/ChromiumLocalState.hpp"
#include "app/bookmarks/KeptReads.hpp"

#include <simdjson.h>

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrelvault {

// Reads the profiles and bookmarks of one Chromium-family browser under its base
// directory: one "Bookmarks" JSON file per profile directory and the "Local State" file
// for names and pictures. loadBookmarks() may run on any thread, concurrently with other
// readers and with itself. Reads only. What it made of each file is kept (KeptReads), and
// a file still in the state it was read in is not read again: a load gives what reading
// everything would.
class ChromiumBookmarkProvider : public BookmarkProvider {
public:
    ChromiumBookmarkProvider(BrowserType browserType, std::filesystem::path basePath);

    BrowserType browserType() const override { return browserType_; }
    bool canAccess() const override { return true; }
    const std::filesystem::path& basePath() const { return basePath_; }

    // Empty when the browser is not installed; else one profile per profile directory.
    std::vector<BrowserProfile> profiles() const override;
    // Every profile's bookmarks, whether or not the browser is installed.
    BookmarkList loadBookmarks() const override;
    // Entries of the base directory holding a "Bookmarks", in listing order.
    virtual std::vector<std::string> profileDirectories() const;
    // Directory → absolute path of the account picture that exists.
    virtual std::unordered_map<std::string, std::string> profilePicturePaths() const;
    // Directory → display name from "Local State".
    virtual std::unordered_map<std::string, std::string> profileNames() const;
    // Appends the bookmarks under the node, with the profile's fields, depth first in
    // display order. Iterative, and folders deeper than maximumFolderDepth below the node
    // are skipped.
    virtual void parseNode(simdjson::dom::object node, const std::string& folderPath,
                           const BookmarkList::Profile& profile, BookmarkList::Builder& result) const;

private:
    using ProfileInfo = std::vector<std::pair<std::string, ChromiumProfileInfo>>;
    struct KeptBookmarks {
        BookmarkList::Profile profile;
        BookmarkList::Weak bookmarks;  // alive while the loaded bookmarks hold them
    };

    ProfileInfo profileInfo() const;
    // One profile directory's bookmarks, kept or read; a file that cannot be read or parsed
    // gives none.
    BookmarkList profileBookmarks(const std::filesystem::path& file, const BookmarkList::Profile& profile) const;
    void readProfile(const std::filesystem::path& file, const BookmarkList::Profile& profile,
                     BookmarkList::Builder& result) const;

    BrowserType browserType_;
    std::filesystem::path basePath_;
    mutable KeptReads<ProfileInfo> keptLocalState_;
    mutable KeptReads<KeptBookmarks> keptBookmarks_;
};

}  // namespace kestrelvault
