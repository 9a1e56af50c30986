#pragma once

#include "app/bookmarks/ChromiumBookmarkProvider.hpp"

namespace kestrelvault {

// The Chromium reader over Brave's data directory under the user's home.
class BraveBookmarkProvider final : public ChromiumBookmarkProvider {
public:
    BraveBookmarkProvider();
};

}  // namespace kestrelvault
