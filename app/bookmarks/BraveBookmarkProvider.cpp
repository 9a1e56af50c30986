#include "app/bookmarks/BraveBookmarkProvider.hpp"

#include "app/bookmarks/ChromiumBasePaths.hpp"

namespace kestrelvault {

BraveBookmarkProvider::BraveBookmarkProvider()
    : ChromiumBookmarkProvider(BrowserType::brave, *chromiumBasePath(BrowserType::brave)) {}

}  // namespace kestrelvault
