#include "app/bookmarks/ChromiumBookmarkProvider.hpp"

#include "app/bookmarks/ChromiumLocalState.hpp"
#include "app/bookmarks/FolderWalk.hpp"
#include "app/bookmarks/JSONDocument.hpp"

namespace kestrelvault {

namespace {

// The members a walk reads, each with the value written last, gathered in one pass.
struct NodeMembers {
    std::optional<simdjson::dom::element> type, name, url, children;
};

NodeMembers membersOf(simdjson::dom::object node) {
    NodeMembers members;
    for (auto field : node) {
        if (field.key == "type")
            members.type = field.value;
        else if (field.key == "name")
            members.name = field.value;
        else if (field.key == "url")
            members.url = field.value;
        else if (field.key == "children")
            members.children = field.value;
    }
    return members;
}

std::optional<std::string_view> textOf(const std::optional<simdjson::dom::element>& value) {
    std::string_view text;
    if (!value || value->get_string().get(text) != simdjson::SUCCESS) return std::nullopt;
    return text;
}

// A node's "children" counts only when it is an array made of objects alone.
std::optional<simdjson::dom::array> objectChildren(const NodeMembers& node) {
    simdjson::dom::array children;
    if (!node.children || node.children->get_array().get(children) != simdjson::SUCCESS) return std::nullopt;
    for (auto child : children)
        if (!child.is_object()) return std::nullopt;
    return children;
}

// The children of a node, one object at a time (objectChildren checked their type).
class ChildCursor {
public:
    explicit ChildCursor(simdjson::dom::array children) : next_(children.begin()), end_(children.end()) {}
    bool done() const { return next_ == end_; }
    simdjson::dom::object next() { return (*next_++).get_object().value_unsafe(); }

private:
    simdjson::dom::array::iterator next_;
    simdjson::dom::array::iterator end_;
};

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
        auto candidate = chromiumProfileFile(basePath_, directory, *info.gaiaPictureFileName);
        std::error_code error;
        if (candidate && std::filesystem::exists(*candidate, error)) paths.emplace(directory, candidate->string());
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
        for (auto [key, value] : distinctMembers(*roots)) {
            simdjson::dom::object root;
            if (value.get_object().get(root) == simdjson::SUCCESS) parseNode(root, "", profile, result);
        }
    }
    return result;
}

void ChromiumBookmarkProvider::parseNode(simdjson::dom::object node, const std::string& folderPath,
                                         const ProfileContext& profile, std::vector<Bookmark>& result) const {
    auto children = objectChildren(membersOf(node));
    if (!children) return;
    std::string idPrefix = profileIdentifier(browserType_, profile.directory) + ":";
    walkFolders(ChildCursor(*children), folderPath,
                [&](simdjson::dom::object child, const std::string& path) -> std::optional<FolderToEnter<ChildCursor>> {
                    auto members = membersOf(child);
                    auto type = textOf(members.type);
                    if (type == "url") {
                        auto name = textOf(members.name);
                        auto url = textOf(members.url);
                        if (name && url)
                            result.push_back(Bookmark{idPrefix + std::string(*url), std::string(*name),
                                                      std::string(*url), path, browserType_, profile.directory,
                                                      profile.displayName, profile.picturePath});
                    } else if (type == "folder") {
                        if (auto grandchildren = objectChildren(members))
                            return FolderToEnter<ChildCursor>{ChildCursor(*grandchildren),
                                                              std::string(textOf(members.name).value_or(""))};
                    }
                    return std::nullopt;
                });
}

}  // namespace kestrelvault
