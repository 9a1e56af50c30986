#include "app/bookmarks/BookmarkAggregator.hpp"

#include "app/bookmarks/BraveBookmarkProvider.hpp"
#include "app/bookmarks/ChromeBookmarkProvider.hpp"
#include "app/bookmarks/EdgeBookmarkProvider.hpp"
#include "app/bookmarks/FreedMemory.hpp"
#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "app/bookmarks/SearchQuery.hpp"
#include "app/bookmarks/SearchRanking.hpp"
#include "app/bookmarks/SearchScorer.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>
#include <set>

namespace kestrelvault {

namespace {

// Bookmarks per task when a list is put in search form, and per piece a search scores.
constexpr std::size_t indexChunkSize = 8192;

// Puts each of a reader's built lists in search form and hands them, with their indexes and
// in order, to the main queue. A list that a former load indexed (a reader gives back what
// it kept for a file that did not change) takes that index as it is; the others are
// indexed in chunks on the global queues, so one large list does not hold the load back.
void prepareSearchIndex(const BookmarkList& bookmarks, const std::shared_ptr<const IndexedLists>& known,
                        std::function<void(IndexedLists)> deliverOnMain) {
    auto indexed = std::make_shared<IndexedLists>();
    auto pieces = std::make_shared<std::vector<std::vector<SearchIndex>>>();  // by list; none for one known
    for (auto& list : bookmarks.builtLists()) {
        auto same = std::find_if(known->begin(), known->end(),
                                 [&](const auto& entry) { return entry.first.sharesStorageWith(list); });
        bool isKnown = same != known->end();
        pieces->emplace_back(isKnown ? 0 : (list.size() + indexChunkSize - 1) / indexChunkSize);
        indexed->push_back(isKnown ? *same : std::pair{std::move(list), SearchIndex{}});
    }
    auto group = dispatch::Group::create();
    for (std::size_t list = 0; list < indexed->size(); ++list)
        for (std::size_t chunk = 0; chunk < (*pieces)[list].size(); ++chunk)
            group->async(dispatch::globalQueue(dispatch::Priority::userInitiated), [indexed, pieces, list, chunk] {
                const auto& bookmarks = (*indexed)[list].first;
                std::size_t begin = chunk * indexChunkSize;
                (*pieces)[list][chunk] =
                    SearchIndex::of(bookmarks, begin, std::min(bookmarks.size(), begin + indexChunkSize));
            });
    group->notify(dispatch::mainQueue(), [indexed, pieces, deliverOnMain = std::move(deliverOnMain)] {
        for (std::size_t list = 0; list < indexed->size(); ++list)
            for (auto& piece : (*pieces)[list]) (*indexed)[list].second.append(piece);
        deliverOnMain(std::move(*indexed));
    });
}

}  // namespace

struct BookmarkAggregator::LoadState {
    std::size_t remaining = 0;
    BookmarkList bookmarks;
    SearchIndex index;
    IndexedLists indexed;
    foundation::CompletionHandler<> completion;
};

std::shared_ptr<BookmarkAggregator> BookmarkAggregator::make() {
    return makeWithProviders({std::make_shared<ChromeBookmarkProvider>(), std::make_shared<BraveBookmarkProvider>(),
                                std::make_shared<EdgeBookmarkProvider>(), std::make_shared<SafariBookmarkProvider>()});
}

std::shared_ptr<BookmarkAggregator> BookmarkAggregator::makeWithProviders(
    std::vector<std::shared_ptr<BookmarkProvider>> providers) {
    return std::make_shared<BookmarkAggregator>(std::move(providers));
}

BookmarkAggregator::BookmarkAggregator(std::vector<std::shared_ptr<BookmarkProvider>> providers)
    : profileSettings_(ProfileSettings::shared()), providers_(std::move(providers)) {}

foundation::ObservationToken BookmarkAggregator::observeAllBookmarks(
    std::function<void(const BookmarkList&)> observer, foundation::ObservingOptions options) {
    return allBookmarks_.observe(std::move(observer), options);
}

foundation::ObservationToken BookmarkAggregator::observeIsLoading(std::function<void(bool)> observer,
                                                                  foundation::ObservingOptions options) {
    return isLoading_.observe([observer = std::move(observer)](const bool& value) { observer(value); }, options);
}

void BookmarkAggregator::loadAll(foundation::CompletionHandler<> completion) {
    dispatch::checkMainThread();
    keepLargeBlocksOutOfTheHeap();
    isLoading_ = true;
    auto disabled = profileSettings_->disabledBrowsers.get();
    std::vector<std::shared_ptr<BookmarkProvider>> enabled;
    for (const auto& provider : providers_)
        if (!disabled.count(std::string(rawValue(provider->browserType())))) enabled.push_back(provider);

    auto load = std::make_shared<LoadState>();
    load->remaining = enabled.size();
    load->completion = std::move(completion);
    if (enabled.empty()) {
        finishLoad(load);
        return;
    }
    std::weak_ptr<BookmarkAggregator> weakSelf = weak_from_this();
    auto known = std::make_shared<const IndexedLists>(indexedLists_);
    for (const auto& provider : enabled)
        dispatch::globalQueue(dispatch::Priority::userInitiated)->async([provider, load, weakSelf, known] {
            prepareSearchIndex(provider->loadBookmarks(), known, [load, weakSelf](IndexedLists lists) {
                for (auto& entry : lists) {
                    load->bookmarks.append(entry.first);
                    load->index.append(entry.second);
                    load->indexed.push_back(std::move(entry));
                }
                if (--load->remaining > 0) return;
                if (auto self = weakSelf.lock())
                    self->finishLoad(load);
                else if (auto completion = std::exchange(load->completion, nullptr))
                    completion();  // the owner is gone; its caller still hears the end
            });
        });
}

void BookmarkAggregator::finishLoad(const std::shared_ptr<LoadState>& load) {
    std::set<std::string> knownBrowsers, knownProfileIDs;
    for (const auto& provider : providers_) {
        knownBrowsers.insert(std::string(rawValue(provider->browserType())));
        for (const auto& profile : provider->profiles()) knownProfileIDs.insert(profile.id);
    }
    profileSettings_->pruneDisabled(knownProfileIDs, knownBrowsers);

    const auto& disabledProfiles = profileSettings_->disabledProfileIDs.get();
    if (!disabledProfiles.empty()) {
        // Bookmarks of one profile share its record, so the test runs once per profile.
        const BookmarkList::Profile* lastProfile = nullptr;
        bool lastKept = true, allKept = true;
        std::vector<bool> keep(load->bookmarks.size(), true);
        for (std::size_t index = 0; index < keep.size(); ++index) {
            const auto& profile = load->bookmarks.profile(index);
            if (&profile != lastProfile)
                lastKept = !disabledProfiles.count(profileIdentifier(profile.browser, profile.directory));
            lastProfile = &profile;
            keep[index] = lastKept;
            allKept = allKept && lastKept;
        }
        if (!allKept) {
            load->bookmarks = load->bookmarks.keepingOnly(keep);
            load->index.keepOnly(keep);
        }
    }
    // The built lists published whole keep their index for the next load; they and it are
    // held by the bookmarks and the search index anyway.
    auto published = load->bookmarks.builtLists();
    indexedLists_.clear();
    for (auto& entry : load->indexed)
        if (std::any_of(published.begin(), published.end(),
                        [&](const BookmarkList& list) { return list.sharesStorageWith(entry.first); }))
            indexedLists_.push_back(std::move(entry));
    searchIndex_ = std::move(load->index);
    allBookmarks_ = std::move(load->bookmarks);
    isLoading_ = false;
    if (auto completion = std::exchange(load->completion, nullptr)) completion();
}

std::vector<BookmarkAggregator::BrowserEntry> BookmarkAggregator::browserEntries() const {
    dispatch::checkMainThread();
    std::vector<BrowserEntry> entries;
    for (const auto& provider : providers_) {
        auto profiles = provider->profiles();
        if (profiles.empty()) continue;
        BrowserType browser = provider->browserType();
        entries.push_back(
            BrowserEntry{std::string(rawValue(browser)), browser, std::move(profiles), provider->canAccess()});
    }
    return entries;
}

std::vector<Bookmark> BookmarkAggregator::search(std::string_view query) const {
    dispatch::checkMainThread();
    const auto& bookmarks = allBookmarks_.get();
    auto words = searchWords(query);
    std::vector<Bookmark> results;
    if (words.empty()) {
        for (std::size_t index = 0; index < std::min(bookmarks.size(), SearchScorer::resultLimit); ++index)
            results.push_back(bookmarks[index]);
        return results;
    }
    std::vector<SearchTextView> wordViews;
    for (const auto& word : words) wordViews.push_back(word.view());
    // A total is the same in any order of its words, and a bookmark is dropped at its first
    // word that matches nowhere: try the longer, rarer words first.
    std::stable_sort(wordViews.begin(), wordViews.end(),
                     [](const SearchTextView& left, const SearchTextView& right) { return left.text.size() > right.text.size(); });
    for (std::size_t index : SearchRanking::best(searchIndex_, wordViews, profileSettings_->fuzzySearchEnabled.get(),
                                                 SearchScorer::resultLimit))
        results.push_back(bookmarks[index]);
    return results;
}

}  // namespace kestrelvault
