#pragma once

#include "platform/objc/Object.hpp"
#include "platform/system/Updater.hpp"

#include <memory>

namespace updates {

// The application's updater with the standard user interface (alerts): made and, when
// asked, started at construction, as the application expects. A start that fails (no feed
// address) is written to the system log and leaves canCheckForUpdates false, so the menu
// keeps its command greyed. This updater has no delegate operations: the application passes
// no delegates, and any given are not used. Main thread only; the application keeps it for
// the life of the process.
class StandardUpdaterController {
public:
    // initWithStartingUpdater:updaterDelegate:userDriverDelegate:, for the main bundle.
    StandardUpdaterController(bool startingUpdater, objc::Id updaterDelegate, objc::Id userDriverDelegate);

    const std::shared_ptr<Updater>& updater() const { return updater_; }
    void startUpdater();
    // checkForUpdates:, the menu's command.
    void checkForUpdates(const objc::Id& sender);

private:
    std::shared_ptr<Updater> updater_;
};

}  // namespace updates
