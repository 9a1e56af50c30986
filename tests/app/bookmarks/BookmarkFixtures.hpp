#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fixtures {

using nlohmann::json;

// Chromium bookmark nodes.
json chromiumURL(const std::string& name, const std::string& url);
json chromiumFolder(const json& name, json children);
// A "Bookmarks" file whose roots are bookmark_bar, other and synced, in that order.
json chromiumBookmarks(json bar, json other = json::array(), json synced = json::array());

// Safari entries.
json safariLeaf(const std::string& title, const std::string& url);
json safariFolder(const json& title, json children);

// Writes text to a file, creating its directories.
std::filesystem::path writeFile(const std::filesystem::path& path, const std::string& contents);
// A JSON value as a binary property list (objects as dictionaries, integers, Booleans).
std::string binaryPropertyList(const json& value);
std::string xmlPropertyList(const json& value);
// A binary property list assembled from its objects' bytes, numbered in the order given,
// with `top` as its top object, for files no writer would make. References inside the
// objects are four bytes wide (objectReference).
std::string binaryPropertyListOf(const std::vector<std::string>& objects, std::uint64_t top);
std::string objectReference(std::uint32_t object);
// A width × height PNG of one colour (0xRRGGBBAA).
std::string pngBytes(int width, int height, std::uint32_t rgba);

// Installs a fake application bundle under <home>/Applications and points the workspace
// at that directory only.
std::filesystem::path installApplication(const std::filesystem::path& home, const std::string& name,
                                         const std::string& bundleIdentifier, const std::string& iconPNG = "");
void searchOnlyHomeApplications(const std::filesystem::path& home);

std::filesystem::path home();
std::filesystem::path chromiumBase(const std::string& browserRawValue);

}  // namespace fixtures
