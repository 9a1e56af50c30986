#pragma once

#include "app/bookmarks/ChromiumBookmarkProvider.hpp"

namespace kestrelvault {

// The Chromium reader over Chrome's data directory under the user's home.
class ChromeBookmarkProvider final : public ChromiumBookmarkProvider {
public:
    ChromeBookmarkProvider();
};

}  // namespace kestrelvault
