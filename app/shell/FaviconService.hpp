#pragma once

#include <optional>
#include <string>

namespace kestrelvault {

// The image service that answers a site's icon for its host: its base address is the main
// bundle's Info.plist value "KVFaviconServiceURL", which must be an https address with a
// host (and nothing after it but an optional "/"). Without a usable value there is no
// service and rows show the globe. Read on every call; any thread.
class FaviconService {
public:
    static constexpr const char* infoPlistKey = "KVFaviconServiceURL";

    // "https://host[:port]" without a trailing "/", or nullopt.
    static std::optional<std::string> baseAddress();
};

}  // namespace kestrelvault
