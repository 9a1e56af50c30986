#pragma once

#include "platform/appkit/Image.hpp"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace fixtures {

std::filesystem::path home();
void writeFile(const std::filesystem::path& path, const std::string& contents);
// An XML property list of string values.
std::string stringPlist(const std::map<std::string, std::string>& values);
// Makes <home>/Bundles/<name>.app the main bundle, with these Info.plist strings and, when
// asked, the application's own resources (string tables, assets) from the source tree.
enum class Resources { none, application };
void useMainBundle(const std::map<std::string, std::string>& info, Resources resources);
// Prefers the language in the platform settings.
void preferLanguage(const std::string& language);
// In the current home: Chrome's profiles "Personal" (GitHub) and "Work" (Git hooks guide),
// and Brave's default profile with the one bookmark given.
void writeBrowserProfiles(const std::string& braveBookmarkName, const std::string& braveBookmarkURL);
// A PNG file's bytes of a uniformly coloured image (0xRRGGBBAA).
std::string pngBytes(int width, int height, std::uint32_t rgba);
// An application bundle in ~/Applications with an icon of that colour.
void installApplication(const std::string& name, const std::string& bundleIdentifier, std::uint32_t iconColor);

}  // namespace fixtures
