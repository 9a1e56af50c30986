#pragma once

#include "app/bookmarks/Bookmark.hpp"
#include "app/bookmarks/BookmarkAggregator.hpp"
#include "platform/appkit/WorkspaceOpenConfiguration.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Observable.hpp"
#include "platform/foundation/URL.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kestrelvault {

// The state behind the search panel: the query, its ranked results, the selection and the
// last error, plus opening and copying the chosen bookmark. Main thread only. Made once by
// the application delegate and kept for the process; it owns the one aggregator. Callbacks
// that outlive a call (the query subscription, opening tasks, workspace completions) hold
// it weakly.
class SearchViewModel : public std::enable_shared_from_this<SearchViewModel> {
public:
    static std::shared_ptr<SearchViewModel> make();

    foundation::Observable<std::string> query{std::string()};
    foundation::Observable<std::vector<Bookmark>> results;
    foundation::Observable<std::int64_t> selectedIndex{0};
    // Set by keyboard moves; the results view scrolls to the selection and clears it.
    bool scrollToSelection = false;
    foundation::Observable<std::optional<std::string>> lastError;
    foundation::Observable<bool> hasMultipleBrowsers{false};
    foundation::Observable<std::set<std::string>> browsersWithMultipleProfiles;

    const std::shared_ptr<BookmarkAggregator>& aggregator() const { return aggregator_; }

    void search(const std::string& text);
    void updateBrowserInfo();
    // Loads all bookmarks anew, then updates the browser information, runs the current
    // query again and calls then (on the main queue; it holds the view model meanwhile).
    void reloadBookmarks(std::function<void()> then = {});
    void moveSelectionDown();
    void moveSelectionUp();
    // How an opening ended, told to its caller on the main thread: failed when it set
    // lastError, finished otherwise (also when there was nothing to open). The browser's
    // launch reports later, so the outcome may come after the call returned.
    enum class OpenOutcome { finished, failed };
    using OpenCompletion = std::function<void(OpenOutcome)>;
    void openSelected(OpenCompletion then = {});
    void openBookmark(const Bookmark& bookmark, OpenCompletion then = {});
    void copySelectedURL();
    void copySelectedMarkdown();
    void reset();

    // Only through make(), which subscribes the query once the object is shared.
    class CreationKey {
        explicit CreationKey() = default;
        friend class SearchViewModel;
    };
    explicit SearchViewModel(CreationKey);

private:
    void subscribeQuerySink();
    // The selected bookmark, when the selection is a valid index of the results.
    std::optional<Bookmark> selectedBookmark() const;
    void openInBrowser(const Bookmark& bookmark,
                       const std::shared_ptr<appkit::WorkspaceOpenConfiguration>& configuration,
                       const std::shared_ptr<foundation::URL>& applicationURL,
                       const std::shared_ptr<foundation::URL>& url, OpenCompletion then);
    void reportOpenError(const std::shared_ptr<foundation::Error>& error);
    void setFailedToOpenError();
    static void copyToPasteboard(std::string text);

    std::shared_ptr<BookmarkAggregator> aggregator_;
    std::vector<foundation::ObservationToken> cancellables_;
};

// "[title](target)" with brackets escaped in the title and parentheses percent-encoded in
// the target.
std::string markdownLink(const std::string& name, const std::string& url);

}  // namespace kestrelvault
