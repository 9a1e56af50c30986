#include "app/bookmarks/ChromiumBookmarkProvider.hpp"

#include "app/bookmarks/ChromiumLocalState.hpp"
#include "app/bookmarks/FolderWalkLimits.hpp"
#include "app/bookmarks/JSONDocument.hpp"

#include <algorithm>

namespace kestrelvault {

namespace {

// A node's "children" counts only when it is an array made of objects alone.
std::optional<simdjson::dom::array> objectChildren(simdjson::dom::object node) {
    simdjson::dom::array children;
    if (node.at_key("children").get_array().get(children) != simdjson::SUCCESS) return std::nullopt;
    for (auto child : children)
        if (!child.is_object()) return std::nullopt;
    return children;
}

}  // namespace

ChromiumBookmarkProvider::ChromiumBookmarkProvider(BrowserType browserType, std::filesystem::path basePath)
    : browserType_(browserType), basePath_(std::move(basePath)) {}

std::vector<BrowserProfile> ChromiumBookmarkProvider::profiles() const {
    std::vector<BrowserProfile> result;
    if (!isInstalled(browserType_)) return result;
    auto names = profileNames();
    for (auto& directory : profileDirectories()) {
        auto name = names.find(directory);
        std::string displayName = name != names.end() ? name->second : directory;
        result.push_back(BrowserProfile::make(browserType_, directory, std::move(displayName)));
    }
    return result;
}

std::vector<std::string> ChromiumBookmarkProvider::profileDirectories() const {
    std::vector<std::string> directories;
    std::error_code error;
    std::filesystem::directory_iterator entries(basePath_, error);
    for (std::filesystem::directory_iterator end; !error && entries != end; entries.increment(error)) {
        std::error_code existsError;
        if (std::filesystem::exists(entries->path() / "Bookmarks", existsError))
            directories.push_back(entries->path().filename().string());
    }
    return directories;
}

std::unordered_map<std::string, std::string> ChromiumBookmarkProvider::profileNames() const {
    std::unordered_map<std::string, std::string> names;
    for (auto& [directory, info] : readChromiumProfileInfo(basePath_))
        if (info.name) names.emplace(directory, *info.name);
    return names;
}

std::unordered_map<std::string, std::string> ChromiumBookmarkProvider::profilePicturePaths() const {
    std::unordered_map<std::string, std::string> paths;
    for (auto& [directory, info] : readChromiumProfileInfo(basePath_)) {
        if (!info.gaiaPictureFileName || info.gaiaPictureFileName->empty()) continue;
        auto candidate = basePath_ / directory / *info.gaiaPictureFileName;
        std::error_code error;
        if (std::filesystem::exists(candidate, error)) paths.emplace(directory, candidate.string());
    }
    return paths;
}

std::vector<Bookmark> ChromiumBookmarkProvider::loadBookmarks() const {
    std::vector<Bookmark> result;
    auto directories = profileDirectories();
    if (directories.empty()) return result;
    auto names = profileNames();
    auto pictures = profilePicturePaths();
    for (const auto& directory : directories) {
        auto document = JSONDocument::load(basePath_ / directory / "Bookmarks");
        if (!document) continue;
        simdjson::dom::object top;
        if (document->root().get_object().get(top) != simdjson::SUCCESS) continue;
        auto roots = objectMember(top, "roots");
        if (!roots) continue;
        ProfileContext profile{directory, directory, std::nullopt};
        if (auto name = names.find(directory); name != names.end()) profile.displayName = name->second;
        if (auto picture = pictures.find(directory); picture != pictures.end()) profile.picturePath = picture->second;
        for (auto [key, value] : *roots) {
            simdjson::dom::object root;
            if (value.get_object().get(root) == simdjson::SUCCESS) parseNode(root, "", profile, result);
        }
    }
    return result;
}

void ChromiumBookmarkProvider::parseNode(simdjson::dom::object node, const std::string& folderPath,
                                         const ProfileContext& profile, std::vector<Bookmark>& result) const {
    auto children = objectChildren(node);
    if (!children) return;
    struct Frame {
        simdjson::dom::array::iterator next;
        simdjson::dom::array::iterator end;
        std::size_t pathLength;
    };
    std::string path = folderPath;
    std::vector<Frame> stack{{children->begin(), children->end(), path.size()}};
    std::string idPrefix = profileIdentifier(browserType_, profile.directory) + ":";
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.end) {
            stack.pop_back();
            continue;
        }
        simdjson::dom::object child = (*frame.next).get_object().value_unsafe();
        ++frame.next;
        path.resize(frame.pathLength);
        auto type = stringMember(child, "type");
        if (!type) continue;
        if (*type == "url") {
            auto name = stringMember(child, "name");
            auto url = stringMember(child, "url");
            if (!name || !url) continue;
            result.push_back(Bookmark{idPrefix + std::string(*url), std::string(*name), std::string(*url), path,
                                      browserType_, profile.directory, profile.displayName, profile.picturePath});
        } else if (*type == "folder") {
            if (stack.size() >= maximumFolderDepth) continue;
            auto grandchildren = objectChildren(child);
            if (!grandchildren) continue;
            appendFolderName(path, stringMember(child, "name").value_or(""));
            stack.push_back(Frame{grandchildren->begin(), grandchildren->end(), path.size()});
        }
    }
}

}  // namespace kestrelvault
