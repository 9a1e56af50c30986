#pragma once

#include "app/bookmarks/BookmarkProvider.hpp"

#include <simdjson.h>

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrelvault {

// Reads the profiles and bookmarks of one Chromium-family browser under its base
// directory: one "Bookmarks" JSON file per profile directory and the "Local State" file
// for names and pictures. Immutable after construction; loadBookmarks() may run on any
// thread, concurrently with other readers. Reads only; nothing is cached.
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
    // Appends one profile directory's bookmarks; a file that cannot be read or parsed adds none.
    void readProfile(const std::string& directory, const std::unordered_map<std::string, std::string>& names,
                     const std::unordered_map<std::string, std::string>& pictures,
                     BookmarkList::Builder& result) const;

    BrowserType browserType_;
    std::filesystem::path basePath_;
};

}  // namespace kestrelvault
