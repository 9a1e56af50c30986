#pragma once

#include <cstdint>
#include <string_view>

namespace kestrelvault {

class SearchText;

// A text in search form as the scorer reads it: its bytes, a mask of the bytes present,
// and, when not every character is a single byte, the prepared text that knows its
// characters (extended grapheme clusters). Borrowed: the bytes and the prepared text must
// outlive the view. A plain value; any thread.
struct SearchTextView {
    enum CharacterClass : std::uint8_t {
        whitespaceSeparator = 1,   // " ", tab or line feed
        punctuationSeparator = 2,  // "/", ".", "-" or "_"
        lowercase = 4,
        uppercase = 8,
    };

    std::string_view text;
    std::uint64_t byteMask = 0;
    const SearchText* clustered = nullptr;

    bool isSingleByteCharacters() const { return clustered == nullptr; }
    std::size_t characterCount() const;
    std::string_view character(std::size_t index) const;
    std::uint8_t characterClass(std::size_t index) const;
    // Whether a character starts (or the text ends) at the byte offset.
    bool isCharacterBoundary(std::size_t offset) const;

    // Character-wise containment and prefix: the word's bytes found where characters of
    // this text begin and end.
    bool contains(const SearchTextView& word) const;
    bool startsWith(const SearchTextView& word) const;

    // The first offset at or after `from` where the needle's bytes occur, else npos.
    static std::size_t find(std::string_view haystack, std::string_view needle, std::size_t from);
    static std::uint8_t classOfASCII(char byte);
};

}  // namespace kestrelvault
