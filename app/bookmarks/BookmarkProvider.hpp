#pragma once

#include "app/bookmarks/BookmarkList.hpp"
#include "app/bookmarks/BrowserProfile.hpp"

#include <vector>

namespace kestrelvault {

// A browser reader. Readers keep no mutable state: loadBookmarks() runs on a worker
// thread, concurrently with other readers' loads; the rest is asked on the main thread.
class BookmarkProvider {
public:
    virtual ~BookmarkProvider() = default;

    virtual BrowserType browserType() const = 0;
    // Whether the reader's files can be read at all right now.
    virtual bool canAccess() const = 0;
    // Every bookmark of every profile. Never fails: unreadable files contribute nothing.
    // Blocking; the aggregator calls it off the main thread.
    virtual BookmarkList loadBookmarks() const = 0;
    // The profiles the reader finds now; empty when the browser is not installed.
    virtual std::vector<BrowserProfile> profiles() const = 0;
};

}  // namespace kestrelvault
