#pragma once

#include "app/bookmarks/ChromiumBookmarkProvider.hpp"

namespace kestrelvault {

// The Chromium reader over Edge's data directory under the user's home.
class EdgeBookmarkProvider final : public ChromiumBookmarkProvider {
public:
    EdgeBookmarkProvider();
};

}  // namespace kestrelvault
