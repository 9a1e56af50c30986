#pragma once

#include "app/bookmarks/Bookmark.hpp"

#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelvault {

// A list of bookmarks kept compactly, for libraries of a million: a reader's texts sit in
// one buffer, the profile fields once per profile, a folder path and its profile once per
// run of bookmarks that share them, identifiers are made from profile and URL, and an
// ASCII name is kept lower-cased (its search form) with a bit per capital; a Bookmark
// value is made when one is read. Built by one thread with a Builder, immutable afterwards
// and readable from any thread; copies and joined lists share their storage. One built
// list holds at most 2 GiB of text; bookmarks beyond are left out.
class BookmarkList {
    struct Part;  // one built list's storage
    struct TextRange {
        std::uint32_t offset = 0, length = 0;
    };

public:
    struct Profile {
        BrowserType browser = BrowserType::chrome;
        std::string directory;
        std::string displayName;
        std::optional<std::string> picturePath;

        bool operator==(const Profile&) const = default;
    };

    // The texts a search reads, borrowed from the list's storage; an ASCII name comes
    // lower-cased.
    struct SearchedFields {
        std::string_view name, url, folderPath;
    };

    class Builder {
    public:
        Builder();
        // At most this many bytes of text and bookmarks are to come. Room that is never used
        // costs address space only, so an upper bound is the right hint: storage then never moves.
        void reserve(std::size_t textBytes, std::size_t bookmarks);
        // The bookmarks appended next belong to this profile, and their identifier is the
        // profile's (raw value ":" directory), ":" and the URL.
        void beginProfile(Profile profile);
        void append(std::string_view name, std::string_view url, std::string_view folderPath);
        // Any bookmark, identifier and profile as they are.
        void append(const Bookmark& bookmark);
        BookmarkList build();

    private:
        enum class Letters { asGiven, lowerCased };
        // Nullopt when the list's text would pass 2 GiB.
        std::optional<TextRange> store(std::string_view text, Letters letters = Letters::asGiven);

        std::shared_ptr<Part> part_;
        std::size_t profile_ = 0;
        bool runOpen_ = false;  // whether the next bookmark may join the last run
    };

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Bookmark;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Bookmark;

        Iterator() = default;
        Iterator(const BookmarkList* list, std::size_t index) : list_(list), index_(index) {}
        Bookmark operator*() const { return (*list_)[index_]; }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        Iterator operator++(int) { return Iterator(list_, index_++); }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

    private:
        const BookmarkList* list_ = nullptr;
        std::size_t index_ = 0;
    };

    using value_type = Bookmark;
    using const_iterator = Iterator;
    using iterator = Iterator;
    using size_type = std::size_t;

    BookmarkList() = default;
    // The same bookmarks, kept compactly.
    BookmarkList(const std::vector<Bookmark>& bookmarks);  // NOLINT: a list converts both ways

    std::size_t size() const { return ends_.empty() ? 0 : ends_.back(); }
    bool empty() const { return size() == 0; }
    Bookmark operator[](std::size_t index) const;
    // Throws std::out_of_range past the end.
    Bookmark at(std::size_t index) const;
    Bookmark front() const { return at(0); }
    Bookmark back() const { return at(size() - 1); }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }
    operator std::vector<Bookmark>() const;  // NOLINT: every bookmark as a value

    SearchedFields searchedFields(std::size_t index) const;
    const Profile& profile(std::size_t index) const;
    // All the text of the built list the bookmark belongs to (its searched fields lie in
    // it), and what keeps that text alive.
    std::string_view textOf(std::size_t index) const;
    std::shared_ptr<const void> storageOf(std::size_t index) const;

    // Appends the other list's bookmarks after this one's.
    void append(const BookmarkList& other);
    // The lists, each built by one Builder, that this one joins, in order; they share its
    // storage.
    std::vector<BookmarkList> builtLists() const;
    // Whether both join the very same built lists: not equal bookmarks, the same storage.
    bool sharesStorageWith(const BookmarkList& other) const { return parts_ == other.parts_; }

    // A list that does not keep its storage alive: it gives the list back for as long as
    // lists holding all of that storage live. Readers keep what they read this way, so that
    // what they keep costs nothing beyond the loaded bookmarks. Any thread.
    class Weak {
    public:
        std::optional<BookmarkList> lock() const;

    private:
        friend class BookmarkList;
        std::vector<std::weak_ptr<const Part>> parts_;
    };
    Weak weak() const;
    // The bookmarks whose flag is set, in order.
    BookmarkList keepingOnly(const std::vector<bool>& keep) const;

private:
    std::pair<const Part*, std::size_t> locate(std::size_t index) const;

    std::vector<std::shared_ptr<const Part>> parts_;
    std::vector<std::size_t> ends_;  // one past each part's last bookmark
};

}  // namespace kestrelvault
