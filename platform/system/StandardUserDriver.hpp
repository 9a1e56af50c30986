#pragma once

#include "platform/foundation/Error.hpp"
#include "platform/system/SoftwareVersion.hpp"
#include "platform/system/UpdateFeed.hpp"

#include <functional>
#include <string>

namespace updates {

// Tells the user how a check for updates ended, in an alert window of its own that blocks
// nothing else of the application (the menu, the search panel and the global shortcut keep
// working while it is open). Main thread only.
class StandardUserDriver {
public:
    // Runs once, when the user has dismissed the alert.
    using Acknowledgement = std::function<void()>;

    explicit StandardUserDriver(std::string applicationName) : applicationName_(std::move(applicationName)) {}

    void showUpdateFound(const UpdateFeed& feed, const SoftwareVersion& currentVersion, Acknowledgement acknowledgement) const;
    void showUpdateNotFound(const SoftwareVersion& currentVersion, Acknowledgement acknowledgement) const;
    void showUpdaterError(const foundation::Error& error, Acknowledgement acknowledgement) const;

private:
    enum class Kind { result, failure };
    static void show(Kind kind, std::string message, std::string information, Acknowledgement acknowledgement);

    std::string applicationName_;
};

}  // namespace updates
