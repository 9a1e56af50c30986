#include "app/bookmarks/SearchTextView.hpp"

#include "app/bookmarks/SearchText.hpp"

#include <cstring>

namespace kestrelvault {

std::size_t SearchTextView::characterCount() const { return clustered ? clustered->characterCount() : text.size(); }

std::string_view SearchTextView::character(std::size_t index) const {
    return clustered ? clustered->character(index) : text.substr(index, 1);
}

std::uint8_t SearchTextView::characterClass(std::size_t index) const {
    return clustered ? clustered->characterClass(index) : classOfASCII(text[index]);
}

bool SearchTextView::isCharacterBoundary(std::size_t offset) const {
    return clustered ? clustered->isCharacterBoundary(offset) : offset <= text.size();
}

std::size_t SearchTextView::find(std::string_view haystack, std::string_view needle, std::size_t from) {
    // Fields are short, so the setup of a general substring search costs more than it
    // saves: look for the first byte, then compare the rest.
    if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
    const char* data = haystack.data();
    std::size_t last = haystack.size() < needle.size() ? 0 : haystack.size() - needle.size() + 1;
    while (from < last) {
        auto found = static_cast<const char*>(std::memchr(data + from, needle[0], last - from));
        if (!found) break;
        auto offset = static_cast<std::size_t>(found - data);
        std::size_t matched = 1;
        while (matched < needle.size() && found[matched] == needle[matched]) ++matched;
        if (matched == needle.size()) return offset;
        from = offset + 1;
    }
    return std::string_view::npos;
}

bool SearchTextView::contains(const SearchTextView& word) const {
    if ((word.byteMask & ~byteMask) != 0) return false;
    if (!clustered) return find(text, word.text, 0) != std::string_view::npos;
    for (std::size_t offset = find(text, word.text, 0); offset != std::string_view::npos;
         offset = find(text, word.text, offset + 1))
        if (isCharacterBoundary(offset) && isCharacterBoundary(offset + word.text.size())) return true;
    return false;
}

bool SearchTextView::startsWith(const SearchTextView& word) const {
    return text.starts_with(word.text) && isCharacterBoundary(word.text.size());
}

std::uint8_t SearchTextView::classOfASCII(char byte) {
    switch (byte) {
        case ' ':
        case '\t':
        case '\n':
            return whitespaceSeparator;
        case '/':
        case '.':
        case '-':
        case '_':
            return punctuationSeparator;
        default:
            if (byte >= 'a' && byte <= 'z') return lowercase;
            if (byte >= 'A' && byte <= 'Z') return uppercase;
            // ª and º are lower-case letters but not ASCII; every other ASCII byte is caseless.
            return 0;
    }
}

}  // namespace kestrelvault
