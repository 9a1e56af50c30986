#pragma once

#include "platform/foundation/Error.hpp"
#include "platform/foundation/URL.hpp"

#include <memory>
#include <string_view>

namespace foundation {

inline constexpr const char* NSURLIsExcludedFromBackupKey = "NSURLIsExcludedFromBackupKey";

// Resource values of file-system items. The one key known here, NSURLIsExcludedFromBackupKey
// (a Boolean number), is kept as an extended attribute of the item, so it travels with the
// file and any backup tool can honour it. Errors come in NSCocoaErrorDomain: 4 when the
// item does not exist, 3328 for a key or value this layer does not know, 512 otherwise.
// Stateless; safe from any thread.
bool setResourceValue(const URL& url, const objc::Id& value, std::string_view key, std::shared_ptr<Error>* error);
// The value for the key (a Boolean number), or nil with an error.
objc::Id getResourceValue(const URL& url, std::string_view key, std::shared_ptr<Error>* error);

}  // namespace foundation
