#include "app/bookmarks/ChromiumBasePaths.hpp"

#include "platform/foundation/FileManager.hpp"

namespace kestrelvault {

std::optional<std::string_view> chromiumRelativeBasePath(BrowserType browser) {
    switch (browser) {
        case BrowserType::chrome:
            return "Library/Application Support/Zadizu/Chrome";
        case BrowserType::brave:
            return "Library/Application Support/BraveSoftware/Brave-Browser";
        case BrowserType::edge:
            return "Library/Application Support/Microsoft Edge";
        case BrowserType::safari:
        case BrowserType::firefox:
            break;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> chromiumBasePath(BrowserType browser) {
    auto relative = chromiumRelativeBasePath(browser);
    if (!relative) return std::nullopt;
    return foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / *relative;
}

}  // namespace kestrelvault
