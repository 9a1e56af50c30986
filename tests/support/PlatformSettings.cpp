#include "tests/support/PlatformSettings.hpp"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace testsupport {

std::string xmlPropertyList(std::string_view dictionaryEntries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict>" +
           std::string(dictionaryEntries) + "</dict></plist>\n";
}

std::filesystem::path writePlatformSettings(std::string_view dictionaryEntries) {
    const char* home = std::getenv("HOME");
    if (!home) throw std::runtime_error("no home directory");
    auto path = std::filesystem::path(home) / "Library/Preferences/.GlobalPreferences.plist";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << xmlPropertyList(dictionaryEntries);
    return path;
}

}  // namespace testsupport
