#include "app/shell/SearchViewModel.hpp"

#include "analytics/engine/DDVAnalytics.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/bookmarks/SearchNormalization.hpp"
#include "app/shell/Localized.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/Workspace.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/system/UnifiedLog.hpp"

namespace kestrelvault {

namespace {

// The application's own lines in the system log.
void logOpenError(const std::string& line) {
    static const darwin::os_log_t log = darwin::os_log_create("com.kestrelvault.Kestrelvault", "SearchViewModel");
    darwin::os_log_with_type(log, darwin::os_log_type_t::error, line);
}

std::string replacingAll(std::string text, std::string_view target, std::string_view replacement) {
    for (auto position = text.find(target); position != std::string::npos;
         position = text.find(target, position + replacement.size()))
        text.replace(position, target.size(), replacement);
    return text;
}

}  // namespace

std::string markdownLink(const std::string& name, const std::string& url) {
    std::string title = replacingAll(replacingAll(name, "[", "\\["), "]", "\\]");
    std::string target = replacingAll(replacingAll(url, "(", "%28"), ")", "%29");
    return "[" + title + "](" + target + ")";
}

SearchViewModel::SearchViewModel(CreationKey) : aggregator_(BookmarkAggregator::make()) {}

std::shared_ptr<SearchViewModel> SearchViewModel::make() {
    dispatch::checkMainThread();
    auto viewModel = std::make_shared<SearchViewModel>(CreationKey());
    viewModel->subscribeQuerySink();
    return viewModel;
}

void SearchViewModel::subscribeQuerySink() {
    // Consecutive equal values are dropped; the search runs inside the assignment, from the
    // value handed over (the initial one included).
    auto previous = std::make_shared<std::optional<std::string>>();
    cancellables_.push_back(query.observe(
        [weakSelf = weak_from_this(), previous](const std::string& value) {
            if (*previous == value) return;
            *previous = value;
            if (auto self = weakSelf.lock()) self->search(value);
        },
        foundation::ObservingOptions::initialAndNew));
}

void SearchViewModel::search(const std::string& text) {
    dispatch::checkMainThread();
    if (trimSpacesAndTabs(text).empty()) {
        results = std::vector<Bookmark>();
        selectedIndex = 0;
        return;
    }
    // A load is running: keep what is shown; the load's caller searches again when done.
    if (aggregator_->isLoading()) return;
    results = aggregator_->search(text);
    selectedIndex = 0;
}

void SearchViewModel::reloadBookmarks(std::function<void()> then) {
    aggregator_->loadAll([self = shared_from_this(), then = std::move(then)] {
        self->updateBrowserInfo();
        self->search(self->query.get());
        if (then) then();
    });
}

void SearchViewModel::updateBrowserInfo() {
    dispatch::checkMainThread();
    auto settings = ProfileSettings::shared();
    const auto& disabledBrowsers = settings->disabledBrowsers.get();
    const auto& disabledProfiles = settings->disabledProfileIDs.get();
    std::size_t enabledBrowsers = 0;
    std::set<std::string> multipleProfiles;
    for (const auto& entry : aggregator_->browserEntries()) {
        if (disabledBrowsers.count(entry.id)) continue;
        ++enabledBrowsers;
        std::size_t enabledProfiles = 0;
        for (const auto& profile : entry.profiles)
            if (!disabledProfiles.count(profile.id)) ++enabledProfiles;
        if (enabledProfiles > 1) multipleProfiles.insert(entry.id);
    }
    hasMultipleBrowsers = enabledBrowsers > 1;
    browsersWithMultipleProfiles = std::move(multipleProfiles);
}

void SearchViewModel::moveSelectionDown() {
    dispatch::checkMainThread();
    auto count = static_cast<std::int64_t>(results.get().size());
    if (count == 0) return;
    scrollToSelection = true;
    selectedIndex = selectedIndex.get() >= count - 1 ? 0 : selectedIndex.get() + 1;
}

void SearchViewModel::moveSelectionUp() {
    dispatch::checkMainThread();
    auto count = static_cast<std::int64_t>(results.get().size());
    if (count == 0) return;
    scrollToSelection = true;
    selectedIndex = selectedIndex.get() < 1 ? count - 1 : selectedIndex.get() - 1;
}

std::optional<Bookmark> SearchViewModel::selectedBookmark() const {
    auto index = selectedIndex.get();
    if (index < 0 || index >= static_cast<std::int64_t>(results.get().size())) return std::nullopt;
    return results.get()[static_cast<std::size_t>(index)];
}

void SearchViewModel::openSelected(OpenCompletion then) {
    dispatch::checkMainThread();
    if (auto bookmark = selectedBookmark()) return openBookmark(*bookmark, std::move(then));
    if (then) then(OpenOutcome::finished);
}

void SearchViewModel::setFailedToOpenError() {
    lastError = localized("failed_to_open_bookmark");
}

void SearchViewModel::openBookmark(const Bookmark& bookmark, OpenCompletion then) {
    dispatch::checkMainThread();
    auto failed = [&] {
        setFailedToOpenError();
        if (then) then(OpenOutcome::failed);
    };
    // Counted before any check, so failed opens are measured too.
    DDVAnalytics::logEventWithName(
        "open_bookmark",
        foundation::Dictionary::make({{"browser", foundation::String::make(std::string(rawValue(bookmark.browser)))}}));

    auto url = foundation::URL::URLWithString(bookmark.url);
    // A relative reference such as "--renderer-cmd-prefix=..." parses, but a browser would
    // take it as a command-line switch: a bookmark file must not steer the browser's options.
    if (!url || bookmark.url.front() == '-') return failed();
    auto applicationURL = appkit::Workspace::sharedWorkspace()->URLForApplicationWithBundleIdentifier(
        std::string(bundleIdentifier(bookmark.browser)));
    if (!applicationURL) return failed();
    auto configuration = appkit::WorkspaceOpenConfiguration::configuration();
    dispatch::mainQueue()->async(
        [weakSelf = weak_from_this(), bookmark, configuration, applicationURL, url, then = std::move(then)] {
            if (auto self = weakSelf.lock()) self->openInBrowser(bookmark, configuration, applicationURL, url, then);
        });
}

void SearchViewModel::openInBrowser(const Bookmark& bookmark,
                                    const std::shared_ptr<appkit::WorkspaceOpenConfiguration>& configuration,
                                    const std::shared_ptr<foundation::URL>& applicationURL,
                                    const std::shared_ptr<foundation::URL>& url, OpenCompletion then) {
    // Workspace completions arrive on a worker queue; outcomes are told on the main queue.
    auto completion = [weakSelf = weak_from_this(), then](std::shared_ptr<foundation::Error> error) {
        if (!error && !then) return;
        dispatch::mainQueue()->async([weakSelf, error, then] {
            auto self = weakSelf.lock();
            if (!self) return;
            if (error) self->reportOpenError(error);
            if (then) then(error ? OpenOutcome::failed : OpenOutcome::finished);
        });
    };
    auto workspace = appkit::Workspace::sharedWorkspace();
    switch (bookmark.browser) {
        case BrowserType::chrome:
        case BrowserType::brave:
        case BrowserType::edge:
            // The URL travels only as the second launch argument, so the profile's window gets it.
            configuration->setArguments({"--profile-directory=" + bookmark.profileDirectory, bookmark.url});
            configuration->setCreatesNewApplicationInstance(true);
            workspace->openApplicationAtURL(applicationURL, configuration, completion);
            break;
        case BrowserType::safari:
            workspace->openURLs({url}, applicationURL, configuration, completion);
            break;
        case BrowserType::firefox:
            if (then) then(OpenOutcome::finished);
            break;
    }
}

void SearchViewModel::reportOpenError(const std::shared_ptr<foundation::Error>& error) {
    logOpenError("[Kestrelvault] Error: " + error->localizedDescription());
    setFailedToOpenError();
}

void SearchViewModel::copyToPasteboard(std::string text) {
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    pasteboard->setString(std::move(text), appkit::NSPasteboardTypeString);
}

void SearchViewModel::copySelectedURL() {
    dispatch::checkMainThread();
    if (auto bookmark = selectedBookmark()) copyToPasteboard(bookmark->url);
}

void SearchViewModel::copySelectedMarkdown() {
    dispatch::checkMainThread();
    if (auto bookmark = selectedBookmark()) copyToPasteboard(markdownLink(bookmark->name, bookmark->url));
}

void SearchViewModel::reset() {
    dispatch::checkMainThread();
    query = std::string();
    results = std::vector<Bookmark>();
    selectedIndex = 0;
}

}  // namespace kestrelvault
