#include "app/bookmarks/ChromiumBookmarkProvider.hpp"

#include "app/bookmarks/ChromiumLocalState.hpp"
#include "app/bookmarks/FolderWalk.hpp"
#include "app/bookmarks/FreedMemory.hpp"
#include "app/bookmarks/JSONDocument.hpp"

#include <mutex>
#include <set>

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

// The Chromium readers run side by side and a parse briefly costs three times its file,
// so their bookmark files are parsed one at a time; walking parsed documents is not held
// back. Only readers take the lock: the small files the main thread reads are not held up.
std::optional<JSONDocument> parseBookmarksFile(const std::filesystem::path& path) {
    static std::mutex oneParseAtATime;
    std::lock_guard lock(oneParseAtATime);
    return JSONDocument::load(path);
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

ChromiumBookmarkProvider::ProfileInfo ChromiumBookmarkProvider::profileInfo() const {
    auto path = basePath_ / "Local State";
    auto found = keptLocalState_.look(path);
    if (found.kept) return std::move(*found.kept);
    auto info = readChromiumProfileInfo(basePath_);
    keptLocalState_.keep(path, found.stamp, info);
    return info;
}

std::unordered_map<std::string, std::string> ChromiumBookmarkProvider::profileNames() const {
    std::unordered_map<std::string, std::string> names;
    for (auto& [directory, info] : profileInfo())
        if (info.name) names.emplace(directory, *info.name);
    return names;
}

std::unordered_map<std::string, std::string> ChromiumBookmarkProvider::profilePicturePaths() const {
    std::unordered_map<std::string, std::string> paths;
    for (auto& [directory, info] : profileInfo()) {
        if (!info.gaiaPictureFileName || info.gaiaPictureFileName->empty()) continue;
        auto candidate = chromiumProfileFile(basePath_, directory, *info.gaiaPictureFileName);
        std::error_code error;
        if (candidate && std::filesystem::exists(*candidate, error)) paths.emplace(directory, candidate->string());
    }
    return paths;
}

BookmarkList ChromiumBookmarkProvider::loadBookmarks() const {
    BookmarkList result;
    std::set<std::filesystem::path> files;
    auto directories = profileDirectories();
    if (!directories.empty()) {
        auto names = profileNames();
        auto pictures = profilePicturePaths();
        for (const auto& directory : directories) {
            BookmarkList::Profile profile{browserType_, directory, directory, std::nullopt};
            if (auto name = names.find(directory); name != names.end()) profile.displayName = name->second;
            if (auto picture = pictures.find(directory); picture != pictures.end()) profile.picturePath = picture->second;
            auto file = basePath_ / directory / "Bookmarks";
            files.insert(file);
            result.append(profileBookmarks(file, profile));
        }
    }
    keptBookmarks_.forgetAllBut(files);
    return result;
}

BookmarkList ChromiumBookmarkProvider::profileBookmarks(const std::filesystem::path& file,
                                                        const BookmarkList::Profile& profile) const {
    auto found = keptBookmarks_.look(file);
    if (found.kept && found.kept->profile == profile)
        if (auto kept = found.kept->bookmarks.lock()) return std::move(*kept);
    BookmarkList::Builder builder;
    // The texts take less than their file; room never written costs no memory.
    if (found.stamp) builder.reserve(static_cast<std::size_t>(found.stamp->size), static_cast<std::size_t>(found.stamp->size / 34));
    readProfile(file, profile, builder);
    auto bookmarks = builder.build();
    returnFreedMemoryToTheSystem();  // the parsed file is gone
    keptBookmarks_.keep(file, found.stamp, KeptBookmarks{profile, bookmarks.weak()});
    return bookmarks;
}

void ChromiumBookmarkProvider::readProfile(const std::filesystem::path& file, const BookmarkList::Profile& profile,
                                           BookmarkList::Builder& result) const {
    auto document = parseBookmarksFile(file);
    if (!document) return;
    simdjson::dom::object top;
    if (document->root().get_object().get(top) != simdjson::SUCCESS) return;
    auto roots = objectMember(top, "roots");
    if (!roots) return;
    for (auto [key, value] : distinctMembers(*roots)) {
        simdjson::dom::object root;
        if (value.get_object().get(root) == simdjson::SUCCESS) parseNode(root, "", profile, result);
    }
}

void ChromiumBookmarkProvider::parseNode(simdjson::dom::object node, const std::string& folderPath,
                                         const BookmarkList::Profile& profile, BookmarkList::Builder& result) const {
    auto children = objectChildren(membersOf(node));
    if (!children) return;
    result.beginProfile(profile);
    walkFolders(ChildCursor(*children), folderPath,
                [&](simdjson::dom::object child, const std::string& path) -> std::optional<FolderToEnter<ChildCursor>> {
                    auto members = membersOf(child);
                    auto type = textOf(members.type);
                    if (type == "url") {
                        auto name = textOf(members.name);
                        auto url = textOf(members.url);
                        if (name && url) result.append(*name, *url, path);
                    } else if (type == "folder") {
                        if (auto grandchildren = objectChildren(members))
                            return FolderToEnter<ChildCursor>{ChildCursor(*grandchildren),
                                                              std::string(textOf(members.name).value_or(""))};
                    }
                    return std::nullopt;
                });
}

}  // namespace kestrelvault
