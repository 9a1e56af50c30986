#include "app/bookmarks/SafariBookmarkProvider.hpp"

#include "app/bookmarks/FolderWalk.hpp"
#include "app/bookmarks/PaddedFile.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListReader.hpp"

#include <plist/plist.h>

#include <memory>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace kestrelvault {

namespace {

constexpr std::string_view profileDirectory = "Default";
constexpr std::string_view profileDisplayName = "Safari";

std::optional<std::string_view> stringValue(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (!text) return std::nullopt;
    return std::string_view(text, static_cast<std::size_t>(length));
}

std::optional<std::string_view> stringEntry(plist_t dictionary, const char* key) {
    return stringValue(plist_dict_get_item(dictionary, key));
}

// "Children" counts only when it is an array made of dictionaries alone.
plist_t dictionaryChildren(plist_t dictionary) {
    plist_t children = plist_dict_get_item(dictionary, "Children");
    if (!children || plist_get_node_type(children) != PLIST_ARRAY) return nullptr;
    for (uint32_t index = 0, count = plist_array_get_size(children); index < count; ++index)
        if (plist_get_node_type(plist_array_get_item(children, index)) != PLIST_DICT) return nullptr;
    return children;
}

std::string localizedFolderName(std::string_view title) {
    auto lookUp = [](const char* key) {
        auto bundle = foundation::Bundle::mainBundle();
        return bundle ? bundle->localizedStringForKey(key) : std::string(key);
    };
    if (title == "BookmarksBar") return lookUp("safari_bookmarks_bar");
    if (title == "BookmarksMenu") return lookUp("safari_bookmarks_menu");
    return std::string(title);
}

// The dictionaries of a "Children" array, one at a time.
class ChildCursor {
public:
    explicit ChildCursor(plist_t children) : children_(children), count_(plist_array_get_size(children)) {}
    bool done() const { return next_ == count_; }
    plist_t next() { return plist_array_get_item(children_, next_++); }

private:
    plist_t children_;
    uint32_t count_;
    uint32_t next_ = 0;
};

void walk(plist_t top, std::vector<Bookmark>& result) {
    plist_t children = dictionaryChildren(top);
    if (!children) return;
    walkFolders(ChildCursor(children), "",
                [&](plist_t child, const std::string& path) -> std::optional<FolderToEnter<ChildCursor>> {
                    auto type = stringEntry(child, "WebBookmarkType");
                    if (type == "WebBookmarkTypeLeaf") {
                        auto url = stringEntry(child, "URLString");
                        plist_t uriDictionary = plist_dict_get_item(child, "URIDictionary");
                        if (!url || !uriDictionary || plist_get_node_type(uriDictionary) != PLIST_DICT)
                            return std::nullopt;
                        if (auto title = stringEntry(uriDictionary, "title"))
                            result.push_back(Bookmark{"safari:Default:" + std::string(*url), std::string(*title),
                                                      std::string(*url), path, BrowserType::safari,
                                                      std::string(profileDirectory), std::string(profileDisplayName),
                                                      std::nullopt});
                    } else if (type == "WebBookmarkTypeList") {
                        auto title = stringEntry(child, "Title").value_or("");
                        if (title == "com.apple.ReadingList") return std::nullopt;
                        if (plist_t grandchildren = dictionaryChildren(child))
                            return FolderToEnter<ChildCursor>{ChildCursor(grandchildren), localizedFolderName(title)};
                    }
                    return std::nullopt;
                });
}

}  // namespace

SafariBookmarkProvider::SafariBookmarkProvider()
    : SafariBookmarkProvider(foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() /
                             "Library/Safari/Bookmarks.plist") {}

SafariBookmarkProvider::SafariBookmarkProvider(std::filesystem::path bookmarksPath)
    : bookmarksPath_(std::move(bookmarksPath)) {}

bool SafariBookmarkProvider::canAccess() const {
    std::error_code error;
    return std::filesystem::is_regular_file(bookmarksPath_, error) && access(bookmarksPath_.c_str(), R_OK) == 0;
}

std::vector<BrowserProfile> SafariBookmarkProvider::profiles() const {
    if (!isInstalled(BrowserType::safari)) return {};
    return {BrowserProfile::make(BrowserType::safari, std::string(profileDirectory), std::string(profileDisplayName))};
}

std::vector<Bookmark> SafariBookmarkProvider::loadBookmarks() const {
    std::vector<Bookmark> result;
    auto contents = readPaddedFile(bookmarksPath_);
    if (!contents) return result;
    auto tree = foundation::PropertyListReader::read(std::string_view(contents->data(), contents->size()));
    auto top = static_cast<plist_t>(tree.get());
    if (!top || plist_get_node_type(top) != PLIST_DICT) return result;
    walk(top, result);
    return result;
}

}  // namespace kestrelvault
