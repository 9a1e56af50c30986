#include "app/bookmarks/BookmarkAggregator.hpp"

#include "app/bookmarks/BraveBookmarkProvider.hpp"
#include "app/bookmarks/ChromeBookmarkProvider.hpp"
#include "app/bookmarks/EdgeBookmarkProvider.hpp"
#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "app/bookmarks/SearchQuery.hpp"
#include "app/bookmarks/SearchScorer.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>
#include <set>
#include <span>

namespace kestrelvault {

namespace {

// Bookmarks per task when a list is put in search form.
constexpr std::size_t indexChunkSize = 8192;

// Builds the list's search index in chunks on the global queues, so one large list does
// not hold the whole load back, and hands the pieces, joined in order, to the main queue.
void prepareSearchIndex(std::shared_ptr<const std::vector<Bookmark>> bookmarks,
                        std::function<void(SearchIndex)> deliverOnMain) {
    std::size_t chunks = std::max<std::size_t>(1, (bookmarks->size() + indexChunkSize - 1) / indexChunkSize);
    auto pieces = std::make_shared<std::vector<SearchIndex>>(chunks);
    auto group = dispatch::Group::create();
    for (std::size_t chunk = 0; chunk < chunks; ++chunk)
        group->async(dispatch::globalQueue(dispatch::Priority::userInitiated), [bookmarks, pieces, chunk] {
            std::span<const Bookmark> all(*bookmarks);
            std::size_t begin = std::min(all.size(), chunk * indexChunkSize);
            (*pieces)[chunk] = SearchIndex::of(all.subspan(begin, std::min(indexChunkSize, all.size() - begin)));
        });
    group->notify(dispatch::mainQueue(), [pieces, deliverOnMain = std::move(deliverOnMain)] {
        SearchIndex joined;
        for (auto& piece : *pieces) joined.append(std::move(piece));
        deliverOnMain(std::move(joined));
    });
}

}  // namespace

struct BookmarkAggregator::LoadState {
    std::size_t remaining = 0;
    std::vector<Bookmark> bookmarks;
    SearchIndex index;
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
    std::function<void(const std::vector<Bookmark>&)> observer, foundation::ObservingOptions options) {
    return allBookmarks_.observe(std::move(observer), options);
}

foundation::ObservationToken BookmarkAggregator::observeIsLoading(std::function<void(bool)> observer,
                                                                  foundation::ObservingOptions options) {
    return isLoading_.observe([observer = std::move(observer)](const bool& value) { observer(value); }, options);
}

void BookmarkAggregator::loadAll(foundation::CompletionHandler<> completion) {
    dispatch::checkMainThread();
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
    for (const auto& provider : enabled)
        dispatch::globalQueue(dispatch::Priority::userInitiated)->async([provider, load, weakSelf] {
            auto bookmarks = std::make_shared<std::vector<Bookmark>>(provider->loadBookmarks());
            prepareSearchIndex(bookmarks, [load, weakSelf, bookmarks](SearchIndex index) {
                std::move(bookmarks->begin(), bookmarks->end(), std::back_inserter(load->bookmarks));
                load->index.append(std::move(index));
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
    std::vector<Bookmark> kept;
    std::vector<bool> keep(load->bookmarks.size(), false);
    kept.reserve(load->bookmarks.size());
    for (std::size_t index = 0; index < load->bookmarks.size(); ++index) {
        auto& bookmark = load->bookmarks[index];
        if (disabledProfiles.count(profileIdentifier(bookmark.browser, bookmark.profileDirectory))) continue;
        keep[index] = true;
        kept.push_back(std::move(bookmark));
    }
    load->index.keepOnly(keep);
    searchIndex_ = std::move(load->index);
    allBookmarks_ = std::move(kept);
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
    if (words.empty()) {
        std::size_t count = std::min(bookmarks.size(), SearchScorer::resultLimit);
        return std::vector<Bookmark>(bookmarks.begin(), bookmarks.begin() + static_cast<std::ptrdiff_t>(count));
    }
    bool fuzzy = profileSettings_->fuzzySearchEnabled.get();
    std::vector<SearchTextView> wordViews;
    for (const auto& word : words) wordViews.push_back(word.view());
    struct Match {
        std::int64_t score;
        std::size_t index;
    };
    // The best so far, highest score first and load order among equals: the same cut as a
    // stable sort by score. A later bookmark needs a score above the last kept one.
    std::vector<Match> best;
    best.reserve(SearchScorer::resultLimit + 1);
    for (std::size_t index = 0; index < bookmarks.size(); ++index) {
        std::int64_t floor = best.size() == SearchScorer::resultLimit ? best.back().score : 0;
        const auto& fields = searchIndex_[index];
        std::int64_t score =
            SearchScorer::matchScoreAbove(fields.name, fields.url, fields.folderPath, wordViews, fuzzy, floor);
        if (score <= floor) continue;
        auto position = std::find_if(best.begin(), best.end(), [&](const Match& kept) { return kept.score < score; });
        best.insert(position, Match{score, index});
        if (best.size() > SearchScorer::resultLimit) best.pop_back();
    }
    std::vector<Bookmark> results;
    results.reserve(best.size());
    for (const auto& match : best) results.push_back(bookmarks[match.index]);
    return results;
}

}  // namespace kestrelvault
