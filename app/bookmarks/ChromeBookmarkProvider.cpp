#include "app/bookmarks/ChromeBookmarkProvider.hpp"

#include "app/bookmarks/ChromiumBasePaths.hpp"

namespace kestrelvault {

ChromeBookmarkProvider::ChromeBookmarkProvider()
    : ChromiumBookmarkProvider(BrowserType::chrome, *chromiumBasePath(BrowserType::chrome)) {}

}  // namespace kestrelvault
