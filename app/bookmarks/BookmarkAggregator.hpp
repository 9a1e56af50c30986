#pragma once

#include "app/bookmarks/BookmarkList.hpp"
#include "app/bookmarks/BookmarkProvider.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/bookmarks/SearchIndex.hpp"
#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Observable.hpp"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrelvault {

// Built lists with their search index, in order.
using IndexedLists = std::vector<std::pair<BookmarkList, SearchIndex>>;

// Owns the browser readers and the loaded bookmarks, and answers searches over them.
// Main thread only: loads run the readers on global queues and hand each list back on the
// main queue. Loads are not serialised; the one that completes last sets the bookmarks. A
// load indexes only the lists its readers read anew: one a reader kept for an unchanged file
// takes the index it had.
class BookmarkAggregator : public std::enable_shared_from_this<BookmarkAggregator> {
public:
    struct BrowserEntry {
        std::string id;  // the browser's raw value
        BrowserType browser;
        std::vector<BrowserProfile> profiles;
        bool canAccess;

        bool operator==(const BrowserEntry&) const = default;
    };

    // The readers of Chrome, Brave, Edge and Safari, in that order, over the user's home.
    static std::shared_ptr<BookmarkAggregator> make();
    static std::shared_ptr<BookmarkAggregator> makeWithProviders(
        std::vector<std::shared_ptr<BookmarkProvider>> providers);

    // The result of the last completed load; empty until one completes.
    const BookmarkList& allBookmarks() const { return allBookmarks_.get(); }
    bool isLoading() const { return isLoading_.get(); }
    // Observers hear every assignment, also of an equal value.
    [[nodiscard]] foundation::ObservationToken observeAllBookmarks(
        std::function<void(const BookmarkList&)> observer,
        foundation::ObservingOptions options = foundation::ObservingOptions::newValue);
    [[nodiscard]] foundation::ObservationToken observeIsLoading(
        std::function<void(bool)> observer,
        foundation::ObservingOptions options = foundation::ObservingOptions::newValue);

    const std::shared_ptr<ProfileSettings>& profileSettings() const { return profileSettings_; }
    const std::vector<std::shared_ptr<BookmarkProvider>>& providers() const { return providers_; }

    // Loads every enabled browser's bookmarks; the completion runs on the main queue once
    // this load has set the bookmarks, exactly once.
    void loadAll(foundation::CompletionHandler<> completion = {});
    // One entry per provider that lists profiles, disabled ones included.
    std::vector<BrowserEntry> browserEntries() const;
    // At most 20 bookmarks, best first; ties keep load order. Returns when done; the
    // scoring itself is spread over the global queues.
    std::vector<Bookmark> search(std::string_view query) const;

    explicit BookmarkAggregator(std::vector<std::shared_ptr<BookmarkProvider>> providers);

private:
    struct LoadState;
    void finishLoad(const std::shared_ptr<LoadState>& load);

    foundation::Observable<BookmarkList> allBookmarks_;
    foundation::Observable<bool> isLoading_{false};
    SearchIndex searchIndex_;  // parallel to allBookmarks_
    IndexedLists indexedLists_;  // the built lists the last load published whole
    std::shared_ptr<ProfileSettings> profileSettings_;
    std::vector<std::shared_ptr<BookmarkProvider>> providers_;
};

}  // namespace kestrelvault
