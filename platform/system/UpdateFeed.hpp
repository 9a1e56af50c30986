#pragma once

#include "platform/foundation/Expected.hpp"
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

    // The feed, or what keeps the bytes from being such a document.
    static foundation::Expected<UpdateFeed> parse(std::string_view bytes);
};

// The text as an https address with a host, else null: the only addresses the updater uses.
std::shared_ptr<foundation::URL> secureURL(const std::optional<std::string>& text);

}  // namespace updates
