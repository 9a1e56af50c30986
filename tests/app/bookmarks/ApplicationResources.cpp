#include "tests/app/bookmarks/ApplicationResources.hpp"

#include "platform/foundation/Bundle.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include <filesystem>

namespace fixtures {

void useApplicationResources() {
    std::filesystem::path source = std::filesystem::path(KV_SOURCE_DIR) / "app" / "resources";
    auto bundle = home() / "Bundles" / "Kestrelvault.app";
    auto contents = bundle / "Contents";
    std::filesystem::create_directories(contents);
    std::error_code ignored;
    std::filesystem::create_symlink(source / "Info.plist", contents / "Info.plist", ignored);
    std::filesystem::create_directory_symlink(source / "Resources", contents / "Resources", ignored);
    foundation::Bundle::setMainBundlePathForTesting(bundle);
}

void preferLanguage(const std::string& language) {
    writeFile(home() / "Library/Preferences/.GlobalPreferences.plist",
              binaryPropertyList(json{{"AppleLanguages", json::array({language})}}));
}

}  // namespace fixtures
