#pragma once

#include "platform/foundation/Error.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/system/SoftwareVersion.hpp"

#include <memory>
#include <optional>
#include <string_view>

namespace updates {

// What the update server says about the newest release: a JSON object
//     {"version": "1.2", "releaseNotesURL": "https://kestrelvault.invalid/releases/1.2"}
// with "version" a dotted number and the optional "releaseNotesURL" an https address; other
// members are ignored, so later feeds can add some. A plain value.
struct UpdateFeed {
    SoftwareVersion version;
    std::shared_ptr<foundation::URL> releaseNotesURL;  // null when the feed names none

    // Nullopt and a feedNotValid error saying what is wrong when the bytes are not such a
    // document.
    static std::optional<UpdateFeed> parse(std::string_view bytes, std::shared_ptr<foundation::Error>* error);
};

// The text as an https address with a host, else null: the only addresses the updater uses.
std::shared_ptr<foundation::URL> secureURL(const std::optional<std::string>& text);

}  // namespace updates
