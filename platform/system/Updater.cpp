#include "platform/system/Updater.hpp"

#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/system/URLDataLoad.hpp"
#include "platform/system/UpdaterError.hpp"

namespace updates {

Updater::Updater(std::shared_ptr<foundation::Bundle> hostBundle, StandardUserDriver userDriver)
    : hostBundle_(std::move(hostBundle)), userDriver_(std::move(userDriver)) {}

Updater::~Updater() {
    if (auto load = runningLoad_.lock()) load->cancel();
}

bool Updater::startUpdater(std::shared_ptr<foundation::Error>* error) {
    dispatch::checkMainThread();
    if (feedURL_) return true;
    feedURL_ = secureURL(hostBundle_ ? foundation::stringValue(hostBundle_->objectForInfoDictionaryKey(KVUpdateFeedURLKey))
                                     : std::nullopt);
    if (!feedURL_) {
        if (error)
            *error = updaterError(UpdaterErrorCode::feedAddressMissing,
                                  std::string("The Info.plist names no https address under ") + KVUpdateFeedURLKey + ".");
        return false;
    }
    canCheckForUpdates = true;
    return true;
}

void Updater::checkForUpdates() {
    dispatch::checkMainThread();
    if (!canCheckForUpdates.get()) return;
    canCheckForUpdates = false;
    // No cached answer: the user asks because something may have changed.
    auto request = foundation::URLRequest::requestWithURL(feedURL_, foundation::URLRequestCachePolicy::reloadIgnoringLocalCacheData, 30);
    runningLoad_ = foundation::loadDataWithRequest(
        *request, [weakSelf = weak_from_this()](std::shared_ptr<foundation::Data> data,
                                                std::shared_ptr<foundation::URLResponse> response,
                                                std::shared_ptr<foundation::Error> error) {
            if (auto self = weakSelf.lock()) self->finishLoad(data, response, error);
        });
}

void Updater::finishLoad(const std::shared_ptr<foundation::Data>& data,
                         const std::shared_ptr<foundation::URLResponse>& response,
                         const std::shared_ptr<foundation::Error>& loadError) {
    auto acknowledgement = [weakSelf = weak_from_this()] {
        if (auto self = weakSelf.lock()) self->acknowledge();
    };
    auto fail = [&](const std::shared_ptr<foundation::Error>& error) { userDriver_.showUpdaterError(*error, acknowledgement); };
    if (loadError) return fail(serverNotReachableError(loadError));
    auto http = std::dynamic_pointer_cast<foundation::HTTPURLResponse>(response);
    if (!http || http->statusCode() < 200 || http->statusCode() > 299)
        return fail(updaterError(UpdaterErrorCode::feedNotAvailable,
                                 "The update server answered with status " + std::to_string(http ? http->statusCode() : 0) + "."));
    auto feed = UpdateFeed::parse(data->view());
    if (!feed) return fail(updaterError(UpdaterErrorCode::feedNotValid, feed.error()));
    auto currentText = bundleVersion();
    auto current = currentText ? SoftwareVersion::parse(*currentText) : std::nullopt;
    if (!current)
        return fail(updaterError(UpdaterErrorCode::versionNotComparable,
                                 "The application's version \"" + currentText.value_or("") + "\" is not a dotted version number."));
    if (feed->version > *current)
        userDriver_.showUpdateFound(*feed, *current, acknowledgement);
    else
        userDriver_.showUpdateNotFound(*current, acknowledgement);
}

void Updater::acknowledge() { canCheckForUpdates = true; }

std::optional<std::string> Updater::bundleVersion() const {
    if (!hostBundle_) return std::nullopt;
    auto version = foundation::stringValue(hostBundle_->objectForInfoDictionaryKey("CFBundleShortVersionString"));
    if (!version || version->empty()) version = foundation::stringValue(hostBundle_->objectForInfoDictionaryKey("CFBundleVersion"));
    return version;
}

}  // namespace updates
