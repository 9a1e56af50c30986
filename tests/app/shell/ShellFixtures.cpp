#include "tests/app/shell/ShellFixtures.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/render/Canvas.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fixtures {

std::filesystem::path home() { return std::getenv("HOME"); }

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

std::string stringPlist(const std::map<std::string, std::string>& values) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : values) text += "<key>" + key + "</key><string>" + value + "</string>\n";
    return text + "</dict>\n</plist>\n";
}

void useMainBundle(const std::map<std::string, std::string>& info, Resources resources) {
    auto bundle = home() / "Bundles" / "Kestrelvault.app";
    std::filesystem::remove_all(bundle);
    writeFile(bundle / "Contents" / "Info.plist", stringPlist(info));
    if (resources == Resources::application)
        std::filesystem::create_directory_symlink(std::filesystem::path(KV_SOURCE_DIR) / "app" / "resources" / "Resources",
                                                  bundle / "Contents" / "Resources");
    foundation::Bundle::setMainBundlePathForTesting(bundle);
}

void writeBrowserProfiles(const std::string& braveBookmarkName, const std::string& braveBookmarkURL) {
    auto bookmarkFile = [](const std::string& name, const std::string& url) {
        return R"({"roots":{"bookmark_bar":{"type":"folder","name":"Bar","children":[{"type":"url","name":")" + name +
               R"(","url":")" + url + R"("}]}}})";
    };
    auto chrome = home() / "Library/Application Support/Zadizu/Chrome";
    writeFile(chrome / "Default/Bookmarks", bookmarkFile("GitHub", "https://github.com/"));
    writeFile(chrome / "Profile 1/Bookmarks", bookmarkFile("Git hooks guide", "https://hooks.example.com/"));
    writeFile(chrome / "Local State",
              R"({"profile":{"info_cache":{"Default":{"name":"Personal"},"Profile 1":{"name":"Work"}}}})");
    writeFile(home() / "Library/Application Support/BraveSoftware/Brave-Browser/Default/Bookmarks",
              bookmarkFile(braveBookmarkName, braveBookmarkURL));
}

void preferLanguage(const std::string& language) {
    auto settings = std::make_shared<foundation::Dictionary>();
    auto languages = std::make_shared<foundation::Array>();
    languages->addObject(foundation::String::make(language));
    settings->setObject(languages, "AppleLanguages");
    foundation::UserDefaults::standardUserDefaults()->setPersistentDomain(settings, foundation::NSGlobalDomain);
}

std::string pngBytes(int width, int height, std::uint32_t rgba) {
    auto path = home() / "image.png";
    render::writePNG(*appkit::Image::filled(width, height, rgba), path);
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void installApplication(const std::string& name, const std::string& bundleIdentifier, std::uint32_t iconColor) {
    auto bundle = home() / "Applications" / (name + ".app");
    writeFile(bundle / "Contents" / "Info.plist",
              stringPlist({{"CFBundleIdentifier", bundleIdentifier}, {"CFBundleIconFile", "icon.png"},
                           {"CFBundleExecutable", name}}));
    writeFile(bundle / "Contents" / "Resources" / "icon.png", pngBytes(32, 32, iconColor));
}

}  // namespace fixtures
