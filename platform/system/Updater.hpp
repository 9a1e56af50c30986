#pragma once

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Observable.hpp"
#include "platform/system/StandardUserDriver.hpp"
#include "platform/system/URLSessionTask.hpp"

#include <memory>

namespace updates {

// The host bundle's Info.plist key naming the update feed (an https address).
inline constexpr const char* KVUpdateFeedURLKey = "KVUpdateFeedURL";

// Checks the update feed of the host bundle when the user asks and tells the outcome
// through its user driver: a newer version (compared with CFBundleShortVersionString, else
// CFBundleVersion), none, or the error. Nothing is downloaded or installed.
// canCheckForUpdates is true once started and while no check runs; a check runs from the
// request until the user dismissed its alert. Main thread only. Owned by its controller; a
// check in flight holds it weakly and is cancelled when it goes.
class Updater : public std::enable_shared_from_this<Updater> {
public:
    Updater(std::shared_ptr<foundation::Bundle> hostBundle, StandardUserDriver userDriver);
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Observed with key-value observation; the updater alone sets it.
    foundation::Observable<bool> canCheckForUpdates{false};

    // Reads the feed address; false with a feedAddressMissing error when the Info.plist has
    // no https address under KVUpdateFeedURL. Starting again does nothing.
    bool startUpdater(std::shared_ptr<foundation::Error>* error);
    // A user-initiated check; nothing while canCheckForUpdates is false.
    void checkForUpdates();

private:
    void finishLoad(const std::shared_ptr<foundation::Data>& data, const std::shared_ptr<foundation::URLResponse>& response,
                    const std::shared_ptr<foundation::Error>& error);
    void acknowledge();
    std::optional<std::string> bundleVersion() const;

    std::shared_ptr<foundation::Bundle> hostBundle_;
    StandardUserDriver userDriver_;
    std::shared_ptr<foundation::URL> feedURL_;
    std::weak_ptr<foundation::URLSessionTask> runningLoad_;
};

}  // namespace updates
