#pragma once

#include "platform/foundation/Error.hpp"
#include "platform/foundation/String.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace updates {

// The updater's own failures.
inline constexpr const char* KVUpdaterErrorDomain = "KVUpdaterErrorDomain";
enum class UpdaterErrorCode : std::int64_t {
    feedAddressMissing = 1,  // no usable KVUpdateFeedURL in the Info.plist
    feedNotValid = 2,        // the feed is not the document described in UpdateFeed
    feedNotAvailable = 3,    // the server answered with a status other than 2xx
    versionNotComparable = 4,  // the application's own version is not a dotted number
    serverNotReachable = 5,  // the feed could not be loaded; the load's error lies underneath
};

inline std::shared_ptr<foundation::Error> updaterError(UpdaterErrorCode code, std::string description) {
    return foundation::Error::withDescription(KVUpdaterErrorDomain, static_cast<std::int64_t>(code), std::move(description));
}

// A failed load of the feed as the updater's error: what failed, with the load's own words
// as the reason.
inline std::shared_ptr<foundation::Error> serverNotReachableError(const std::shared_ptr<foundation::Error>& loadError) {
    return foundation::Error::make(
        KVUpdaterErrorDomain, static_cast<std::int64_t>(UpdaterErrorCode::serverNotReachable),
        foundation::Dictionary::make(
            {{foundation::NSLocalizedDescriptionKey, foundation::String::make("The update server could not be reached.")},
             {foundation::NSLocalizedFailureReasonErrorKey, foundation::String::make(loadError->localizedDescription())},
             {foundation::NSUnderlyingErrorKey, loadError}}));
}

}  // namespace updates
