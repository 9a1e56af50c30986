#include "app/bookmarks/SafariBookmarkProvider.hpp"

#include "app/bookmarks/FolderWalk.hpp"
#include "app/bookmarks/PaddedFile.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListPrecheck.hpp"

#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace kestrelvault {

namespace {

constexpr std::string_view profileDirectory = "Default";
constexpr std::string_view profileDisplayName = "Safari";

using PlistHandle = std::unique_ptr<void, decltype(&plist_free)>;

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

// The items of an array in order. libplist answers an item by index by walking the list
// from its start, so reading a large folder by index would cost its size squared.
class ArrayItems {
public:
    explicit ArrayItems(plist_t array) : iterator_(nullptr, &std::free), array_(array) {
        plist_array_iter raw = nullptr;
        plist_array_new_iter(array, &raw);
        iterator_.reset(raw);
        advance();
    }
    bool done() const { return next_ == nullptr; }
    plist_t next() {
        plist_t item = next_;
        advance();
        return item;
    }

private:
    void advance() {
        next_ = nullptr;
        if (iterator_) plist_array_next_item(array_, iterator_.get(), &next_);
    }

    std::unique_ptr<void, decltype(&std::free)> iterator_;
    plist_t array_ = nullptr;
    plist_t next_ = nullptr;
};

// "Children" counts only when it is an array made of dictionaries alone.
plist_t dictionaryChildren(plist_t dictionary) {
    plist_t children = plist_dict_get_item(dictionary, "Children");
    if (!children || plist_get_node_type(children) != PLIST_ARRAY) return nullptr;
    for (ArrayItems items(children); !items.done();)
        if (plist_get_node_type(items.next()) != PLIST_DICT) return nullptr;
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

void walk(plist_t top, BookmarkList::Builder& result) {
    plist_t children = dictionaryChildren(top);
    if (!children) return;
    result.beginProfile(BookmarkList::Profile{BrowserType::safari, std::string(profileDirectory),
                                              std::string(profileDisplayName), std::nullopt});
    walkFolders(ArrayItems(children), "",
                [&](plist_t child, const std::string& path) -> std::optional<FolderToEnter<ArrayItems>> {
                    auto type = stringEntry(child, "WebBookmarkType");
                    if (type == "WebBookmarkTypeLeaf") {
                        auto url = stringEntry(child, "URLString");
                        plist_t uriDictionary = plist_dict_get_item(child, "URIDictionary");
                        if (!url || !uriDictionary || plist_get_node_type(uriDictionary) != PLIST_DICT)
                            return std::nullopt;
                        if (auto title = stringEntry(uriDictionary, "title")) result.append(*title, *url, path);
                    } else if (type == "WebBookmarkTypeList") {
                        auto title = stringEntry(child, "Title").value_or("");
                        if (title == "com.apple.ReadingList") return std::nullopt;
                        if (plist_t grandchildren = dictionaryChildren(child))
                            return FolderToEnter<ArrayItems>{ArrayItems(grandchildren), localizedFolderName(title)};
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

BookmarkList SafariBookmarkProvider::loadBookmarks() const {
    BookmarkList::Builder result;
    auto contents = readPaddedFile(bookmarksPath_);
    if (!contents || contents->size() == 0 || contents->size() > UINT32_MAX) return result.build();
    std::string_view bytes(contents->data(), contents->size());
    auto length = static_cast<uint32_t>(bytes.size());
    // libplist recurses per nesting level and copies shared objects: check the shape first.
    bool binary = plist_is_binary(bytes.data(), length) != 0;
    if (!(binary ? foundation::PropertyListPrecheck::isSafeBinary(bytes)
                 : foundation::PropertyListPrecheck::isSafeXML(bytes)))
        return result.build();
    plist_t top = nullptr;
    if (binary)
        plist_from_bin(bytes.data(), length, &top);
    else
        plist_from_xml(bytes.data(), length, &top);
    PlistHandle owner(top, &plist_free);
    if (!top || plist_get_node_type(top) != PLIST_DICT) return result.build();
    walk(top, result);
    return result.build();
}

}  // namespace kestrelvault
