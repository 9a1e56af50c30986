#pragma once

#include "app/bookmarks/SearchTextView.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelvault {

// A text in search form (see normalizeForSearch) prepared for matching by characters
// (extended grapheme clusters): for text where every byte is a character (ASCII without
// CR LF) nothing more is kept; otherwise the clusters' byte offsets and their classes.
// Also a 64-bit mask of the bytes present, so that a word with a byte the text lacks is
// rejected without a scan. Immutable value; any thread.
class SearchText {
public:
    using CharacterClass = SearchTextView::CharacterClass;
    static constexpr auto whitespaceSeparator = SearchTextView::whitespaceSeparator;
    static constexpr auto punctuationSeparator = SearchTextView::punctuationSeparator;
    static constexpr auto lowercase = SearchTextView::lowercase;
    static constexpr auto uppercase = SearchTextView::uppercase;

    SearchText() = default;
    // Normalises the raw text first.
    static SearchText fromRaw(std::string_view raw);
    // The text is already in search form.
    static SearchText fromNormalized(std::string normalized);

    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }
    bool isSingleByteCharacters() const { return clusterStarts_.empty(); }
    std::uint64_t byteMask() const { return byteMask_; }

    std::size_t characterCount() const { return isSingleByteCharacters() ? text_.size() : clusterStarts_.size() - 1; }
    std::string_view character(std::size_t index) const;
    std::uint8_t characterClass(std::size_t index) const;
    // Whether a character starts (or the text ends) at the byte offset.
    bool isCharacterBoundary(std::size_t offset) const;

    // The text as the scorer reads it; valid while this object lives and is not moved.
    SearchTextView view() const;

    // Whether any character of the normalised text spans several bytes (or is CR LF).
    static bool needsClusters(std::string_view text);
    static std::uint64_t maskOf(std::string_view bytes);
    // A byte's bit in the mask: letters and digits each have their own, other bytes share.
    static std::uint64_t maskBit(char byte) { return maskBits[static_cast<unsigned char>(byte)]; }
    static std::uint8_t classOfASCII(char byte);

private:
    static constexpr std::array<std::uint64_t, 256> maskBits = [] {
        std::array<std::uint64_t, 256> bits{};
        for (unsigned value = 0; value < 256; ++value) {
            unsigned bit = value >= 'a' && value <= 'z'   ? value - 'a'
                           : value >= '0' && value <= '9' ? 26 + (value - '0')
                           : value < 0x80                 ? 36 + value % 14
                                                          : 50 + value % 14;
            bits[value] = std::uint64_t{1} << bit;
        }
        return bits;
    }();

    std::string text_;
    std::uint64_t byteMask_ = 0;
    std::vector<std::uint32_t> clusterStarts_;  // with the end offset last; empty when single-byte
    std::vector<std::uint8_t> classes_;
};

}  // namespace kestrelvault
