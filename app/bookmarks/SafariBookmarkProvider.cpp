#include "app/bookmarks/SafariBookmarkProvider.hpp"

#include "app/bookmarks/BinaryPropertyList.hpp"
#include "app/bookmarks/FolderWalk.hpp"
#include "app/bookmarks/FreedMemory.hpp"
#include "app/bookmarks/PaddedFile.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListPrecheck.hpp"
#include "platform/foundation/PropertyListReader.hpp"

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

// A parsed tree (XML files) as the walk reads it.
struct TreeSource {
    using Node = plist_t;
    using Cursor = ArrayItems;

    // "Children" counts only when it is an array made of dictionaries alone.
    std::optional<ArrayItems> dictionaryChildren(plist_t dictionary) const {
        plist_t children = plist_dict_get_item(dictionary, "Children");
        if (!children || plist_get_node_type(children) != PLIST_ARRAY) return std::nullopt;
        for (ArrayItems items(children); !items.done();)
            if (plist_get_node_type(items.next()) != PLIST_DICT) return std::nullopt;
        return ArrayItems(children);
    }
    std::optional<std::string_view> text(plist_t dictionary, const char* key, std::string&) const {
        plist_t node = plist_dict_get_item(dictionary, key);
        if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        if (!text) return std::nullopt;
        return std::string_view(text, static_cast<std::size_t>(length));
    }
    std::optional<plist_t> dictionary(plist_t dictionary, const char* key) const {
        plist_t node = plist_dict_get_item(dictionary, key);
        if (!node || plist_get_node_type(node) != PLIST_DICT) return std::nullopt;
        return node;
    }
};

// A binary file read where it lies (BinaryPropertyList) as the walk reads it.
class BinarySource {
public:
    using Node = BinaryPropertyList::Object;
    class Cursor {
    public:
        explicit Cursor(BinaryPropertyList::Elements elements) : elements_(elements) {}
        bool done() const { return next_ == elements_.size(); }
        Node next() { return elements_[next_++]; }

    private:
        BinaryPropertyList::Elements elements_;
        std::uint64_t next_ = 0;
    };

    explicit BinarySource(const BinaryPropertyList& list) : list_(list) {}

    std::optional<Cursor> dictionaryChildren(Node dictionary) const {
        auto children = valueFor(dictionary, "Children");
        auto elements = children ? list_.arrayElements(*children) : std::nullopt;
        if (!elements) return std::nullopt;
        for (std::uint64_t index = 0; index < elements->size(); ++index)
            if (!list_.isDictionary((*elements)[index])) return std::nullopt;
        return Cursor(*elements);
    }
    std::optional<std::string_view> text(Node dictionary, const char* key, std::string& scratch) const {
        auto value = valueFor(dictionary, key);
        return value ? list_.string(*value, scratch) : std::nullopt;
    }
    std::optional<Node> dictionary(Node dictionary, const char* key) const {
        auto value = valueFor(dictionary, key);
        if (!value || !list_.isDictionary(*value)) return std::nullopt;
        return value;
    }

private:
    // The walk asks one dictionary for several keys in turn: its entries are read once.
    std::optional<Node> valueFor(Node dictionary, std::string_view key) const {
        if (dictionary != readDictionary_) {
            readDictionary_ = dictionary;
            isReadDictionarySound_ = list_.entries(dictionary, entries_);
        }
        if (!isReadDictionarySound_) return std::nullopt;
        for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
            if (entry->first == key) return entry->second;
        return std::nullopt;
    }

    const BinaryPropertyList& list_;
    mutable std::optional<Node> readDictionary_;
    mutable bool isReadDictionarySound_ = false;
    mutable std::vector<std::pair<std::string, Node>> entries_;
};

std::string localizedString(const char* key) {
    auto bundle = foundation::Bundle::mainBundle();
    return bundle ? bundle->localizedStringForKey(key) : std::string(key);
}

// Safari's own top-level folders under the names they show, looked up once per load.
struct FolderNames {
    std::string bar = localizedString("safari_bookmarks_bar");
    std::string menu = localizedString("safari_bookmarks_menu");

    std::string shown(std::string_view title) const {
        if (title == "BookmarksBar") return bar;
        if (title == "BookmarksMenu") return menu;
        return std::string(title);
    }
};

template <class Source>
void walk(const Source& source, typename Source::Node top, const FolderNames& folderNames,
          BookmarkList::Builder& result) {
    using Folder = std::optional<FolderToEnter<typename Source::Cursor>>;
    auto children = source.dictionaryChildren(top);
    if (!children) return;
    result.beginProfile(BookmarkList::Profile{BrowserType::safari, std::string(profileDirectory),
                                              std::string(profileDisplayName), std::nullopt});
    std::string typeText, urlText, titleText;  // where texts converted from UTF-16 live
    walkFolders(std::move(*children), "", [&](typename Source::Node child, const std::string& path) -> Folder {
        auto type = source.text(child, "WebBookmarkType", typeText);
        if (type == "WebBookmarkTypeLeaf") {
            auto url = source.text(child, "URLString", urlText);
            auto uriDictionary = source.dictionary(child, "URIDictionary");
            if (!url || !uriDictionary) return std::nullopt;
            if (auto title = source.text(*uriDictionary, "title", titleText)) result.append(*title, *url, path);
        } else if (type == "WebBookmarkTypeList") {
            auto title = source.text(child, "Title", titleText).value_or("");
            if (title == "com.apple.ReadingList") return std::nullopt;
            if (auto grandchildren = source.dictionaryChildren(child))
                return FolderToEnter<typename Source::Cursor>{std::move(*grandchildren), folderNames.shown(title)};
        }
        return std::nullopt;
    });
}

BookmarkList readBookmarks(const std::filesystem::path& path, const FolderNames& folderNames) {
    BookmarkList::Builder result;
    auto contents = readPaddedFile(path);
    if (!contents || contents->size() == 0 || contents->size() > UINT32_MAX) return result.build();
    std::string_view bytes(contents->data(), contents->size());
    // A bookmark takes more than 16 bytes of the file, and its texts less than theirs.
    result.reserve(bytes.size(), bytes.size() / 16);
    // Binary files (what Safari writes) are read in place; a walk of shared objects or
    // cycles would not end, so the shape is checked first. XML is parsed as every property
    // list is (checked first as well, since the parser recurses per nesting level).
    if (auto binary = BinaryPropertyList::open(bytes)) {
        if (foundation::PropertyListPrecheck::isSafeBinary(bytes) && binary->isDictionary(binary->top()))
            walk(BinarySource(*binary), binary->top(), folderNames, result);
        contents.reset();
        returnFreedMemoryToTheSystem();
        return result.build();
    }
    auto list = foundation::PropertyListReader::read(bytes);
    auto top = list ? static_cast<plist_t>(list->root.get()) : nullptr;
    if (top && plist_get_node_type(top) == PLIST_DICT) walk(TreeSource{}, top, folderNames, result);
    return result.build();
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
    FolderNames folderNames;
    auto found = kept_.look(bookmarksPath_);
    if (found.kept && found.kept->barName == folderNames.bar && found.kept->menuName == folderNames.menu)
        if (auto kept = found.kept->bookmarks.lock()) return std::move(*kept);
    auto bookmarks = readBookmarks(bookmarksPath_, folderNames);
    kept_.keep(bookmarksPath_, found.stamp, KeptBookmarks{folderNames.bar, folderNames.menu, bookmarks.weak()});
    return bookmarks;
}

}  // namespace kestrelvault
