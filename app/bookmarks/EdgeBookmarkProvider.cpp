#include "app/bookmarks/EdgeBookmarkProvider.hpp"

#include "app/bookmarks/ChromiumBasePaths.hpp"

namespace kestrelvault {

EdgeBookmarkProvider::EdgeBookmarkProvider()
    : ChromiumBookmarkProvider(BrowserType::edge, *chromiumBasePath(BrowserType::edge)) {}

}  // namespace kestrelvault
