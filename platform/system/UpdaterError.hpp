#pragma once

#include "platform/foundation/Error.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace updates {

// The updater's own failures; network failures keep their NSURLErrorDomain errors.
inline constexpr const char* KVUpdaterErrorDomain = "KVUpdaterErrorDomain";
enum class UpdaterErrorCode : std::int64_t {
    feedAddressMissing = 1,  // no usable KVUpdateFeedURL in the Info.plist
    feedNotValid = 2,        // the feed is not the document described in UpdateFeed
    feedNotAvailable = 3,    // the server answered with a status other than 2xx
    versionNotComparable = 4,  // the application's own version is not a dotted number
};

inline std::shared_ptr<foundation::Error> updaterError(UpdaterErrorCode code, std::string description) {
    return foundation::Error::withDescription(KVUpdaterErrorDomain, static_cast<std::int64_t>(code), std::move(description));
}

}  // namespace updates
