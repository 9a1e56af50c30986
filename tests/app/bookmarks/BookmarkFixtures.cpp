#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include "app/bookmarks/BrowserType.hpp"
#include "app/bookmarks/ChromiumBasePaths.hpp"
#include "platform/appkit/Workspace.hpp"
#include "tests/support/PNGBytes.hpp"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace fixtures {

namespace {

plist_t toPlist(const json& value) {
    if (value.is_object()) {
        plist_t dictionary = plist_new_dict();
        for (auto& [key, member] : value.items()) plist_dict_set_item(dictionary, key.c_str(), toPlist(member));
        return dictionary;
    }
    if (value.is_array()) {
        plist_t array = plist_new_array();
        for (auto& element : value) plist_array_append_item(array, toPlist(element));
        return array;
    }
    if (value.is_boolean()) return plist_new_bool(value.get<bool>());
    if (value.is_number_integer()) return plist_new_uint(value.get<std::int64_t>());
    if (value.is_number()) return plist_new_real(value.get<double>());
    return plist_new_string(value.get<std::string>().c_str());
}

}  // namespace

json chromiumURL(const std::string& name, const std::string& url) {
    return {{"type", "url"}, {"name", name}, {"url", url}, {"date_added", "13200000000000000"}};
}

json chromiumFolder(const json& name, json children) {
    json folder = {{"type", "folder"}, {"children", std::move(children)}};
    if (!name.is_null()) folder["name"] = name;
    return folder;
}

json chromiumBookmarks(json bar, json other, json synced) {
    json roots = json::object();
    roots["bookmark_bar"] = {{"type", "folder"}, {"name", "Bookmarks bar"}, {"children", std::move(bar)}};
    roots["other"] = {{"type", "folder"}, {"name", "Other bookmarks"}, {"children", std::move(other)}};
    roots["synced"] = {{"type", "folder"}, {"name", "Mobile bookmarks"}, {"children", std::move(synced)}};
    return {{"checksum", "0"}, {"roots", roots}, {"version", 1}};
}

json safariLeaf(const std::string& title, const std::string& url) {
    return {{"WebBookmarkType", "WebBookmarkTypeLeaf"},
            {"URLString", url},
            {"URIDictionary", {{"title", title}}},
            {"WebBookmarkUUID", "00000000-0000-0000-0000-000000000000"}};
}

json safariFolder(const json& title, json children) {
    json folder = {{"WebBookmarkType", "WebBookmarkTypeList"}, {"Children", std::move(children)}};
    if (!title.is_null()) folder["Title"] = title;
    return folder;
}

std::filesystem::path writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << contents;
    return path;
}

std::string binaryPropertyList(const json& value) {
    std::unique_ptr<void, decltype(&plist_free)> root(toPlist(value), &plist_free);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    std::string out(bytes, length);
    std::free(bytes);
    return out;
}

std::string xmlPropertyList(const json& value) {
    std::unique_ptr<void, decltype(&plist_free)> root(toPlist(value), &plist_free);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &bytes, &length);
    std::string out(bytes, length);
    std::free(bytes);
    return out;
}

std::string objectReference(std::uint32_t object) {
    return std::string{char(object >> 24), char(object >> 16), char(object >> 8), char(object)};
}

std::string binaryPropertyListOf(const std::vector<std::string>& objects, std::uint64_t top) {
    auto bigEndian64 = [](std::string& out, std::uint64_t value) {
        for (int shift = 56; shift >= 0; shift -= 8) out.push_back(char(value >> shift));
    };
    std::string out = "bplist00", table;
    for (const auto& object : objects) {
        bigEndian64(table, out.size());
        out += object;
    }
    std::uint64_t tableOffset = out.size();
    out += table + std::string(6, '\0') + char(8) + char(4);
    bigEndian64(out, objects.size());
    bigEndian64(out, top);
    bigEndian64(out, tableOffset);
    return out;
}

std::string pngBytes(int width, int height, std::uint32_t rgba) { return testsupport::pngBytes(width, height, rgba); }

std::filesystem::path installApplication(const std::filesystem::path& home, const std::string& name,
                                         const std::string& bundleIdentifier, const std::string& iconPNG) {
    auto bundle = home / "Applications" / (name + ".app");
    json info = {{"CFBundleIdentifier", bundleIdentifier}, {"CFBundleExecutable", name}};
    if (!iconPNG.empty()) {
        info["CFBundleIconFile"] = "AppIcon";
        writeFile(bundle / "Contents/Resources/AppIcon.png", iconPNG);
    }
    writeFile(bundle / "Contents/Info.plist", xmlPropertyList(info));
    writeFile(bundle / "Contents/MacOS" / name, "#!/bin/sh\n");
    searchOnlyHomeApplications(home);
    return bundle;
}

void searchOnlyHomeApplications(const std::filesystem::path& home) {
    appkit::Workspace::setApplicationRootsForTesting(std::vector<std::filesystem::path>{home / "Applications"});
}

std::filesystem::path home() { return std::getenv("HOME"); }

std::filesystem::path chromiumBase(const std::string& browserRawValue) {
    return *kestrelvault::chromiumBasePath(*kestrelvault::browserTypeFromRawValue(browserRawValue));
}

}  // namespace fixtures
