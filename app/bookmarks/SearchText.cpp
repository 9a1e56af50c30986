#include "app/bookmarks/SearchText.hpp"

#include "app/bookmarks/SearchNormalization.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace kestrelvault {

bool SearchText::needsClusters(std::string_view text) {
    for (std::size_t index = 0; index < text.size(); ++index) {
        auto byte = static_cast<unsigned char>(text[index]);
        if (byte >= 0x80) return true;
        if (byte == '\r' && index + 1 < text.size() && text[index + 1] == '\n') return true;
    }
    return false;
}

namespace {

std::vector<std::uint32_t> clusterStartsOf(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    // One iterator per thread: loads run concurrently and building one is costly.
    thread_local std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    std::vector<std::uint32_t> starts;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status) || !iterator) {
        // Without ICU every byte stands alone, which still compares consistently.
        for (std::uint32_t offset = 0; offset <= text.size(); ++offset) starts.push_back(offset);
        if (utext) utext_close(utext);
        return starts;
    }
    iterator->setText(utext, status);
    for (int32_t boundary = iterator->first(); boundary != icu::BreakIterator::DONE; boundary = iterator->next())
        starts.push_back(static_cast<std::uint32_t>(boundary));
    utext_close(utext);
    if (starts.empty() || starts.back() != text.size()) starts.push_back(static_cast<std::uint32_t>(text.size()));
    return starts;
}

bool isOneOf(std::string_view character, std::initializer_list<std::string_view> options) {
    return std::find(options.begin(), options.end(), character) != options.end();
}

// Lower-case and upper-case as characters answer them: a single scalar by its Unicode
// property; several scalars by whether case mapping leaves the character unchanged.
std::uint8_t caseClassOf(std::string_view character) {
    auto unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(character.data(), static_cast<int32_t>(character.size())));
    if (unicode.countChar32() == 1) {
        UChar32 scalar = unicode.char32At(0);
        std::uint8_t classes = 0;
        if (u_hasBinaryProperty(scalar, UCHAR_LOWERCASE)) classes |= SearchText::lowercase;
        if (u_hasBinaryProperty(scalar, UCHAR_UPPERCASE)) classes |= SearchText::uppercase;
        return classes;
    }
    icu::UnicodeString lower = unicode, upper = unicode;
    lower.toLower(icu::Locale::getRoot());
    upper.toUpper(icu::Locale::getRoot());
    std::uint8_t classes = 0;
    if (lower == unicode && upper != unicode) classes |= SearchText::lowercase;
    if (upper == unicode && lower != unicode) classes |= SearchText::uppercase;
    return classes;
}

std::uint8_t classOfCharacter(std::string_view character) {
    if (character.size() == 1) return SearchText::classOfASCII(character[0]);
    if (isOneOf(character, {" ", "\t", "\n"})) return SearchText::whitespaceSeparator;
    if (isOneOf(character, {"/", ".", "-", "_"})) return SearchText::punctuationSeparator;
    return caseClassOf(character);
}

// Code points that are a character of their own whatever lies around them, as long as
// their neighbours are such code points too (no combining marks, joiners, emoji or Hangul
// jamo): printable ASCII, tab and line feed; CJK symbols without the combining tone
// marks; kana without the combining sound marks; CJK ideographs; Hangul syllables. Beyond
// ASCII none of them has a case or separates words.
bool standsAlone(UChar32 codePoint) {
    return (codePoint >= 0x20 && codePoint < 0x7F) || codePoint == '\t' || codePoint == '\n' ||
           (codePoint >= 0x3000 && codePoint <= 0x3029) || (codePoint >= 0x3030 && codePoint <= 0x303F) ||
           (codePoint >= 0x3041 && codePoint <= 0x3096) || (codePoint >= 0x309B && codePoint <= 0x30FF) ||
           (codePoint >= 0x3400 && codePoint <= 0x4DBF) || (codePoint >= 0x4E00 && codePoint <= 0x9FFF) ||
           (codePoint >= 0xAC00 && codePoint <= 0xD7A3);
}

// The character starts of a text made only of code points that stand alone (one character
// each), found without the costly segmentation; nullopt for any other text.
std::optional<std::vector<std::uint32_t>> standaloneStartsOf(std::string_view text) {
    std::vector<std::uint32_t> starts;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto length = static_cast<int32_t>(text.size());
    for (int32_t offset = 0; offset < length;) {
        starts.push_back(static_cast<std::uint32_t>(offset));
        UChar32 codePoint;
        U8_NEXT(bytes, offset, length, codePoint);
        if (!standsAlone(codePoint)) return std::nullopt;  // a malformed sequence is negative
    }
    starts.push_back(static_cast<std::uint32_t>(text.size()));
    return starts;
}

}  // namespace

std::uint8_t SearchText::classOfASCII(char byte) { return SearchTextView::classOfASCII(byte); }

std::uint64_t SearchText::maskOf(std::string_view bytes) {
    std::uint64_t mask = 0;
    for (char byte : bytes) mask |= maskBit(byte);
    return mask;
}

SearchText SearchText::fromRaw(std::string_view raw) { return fromNormalized(normalizeForSearch(raw)); }

SearchText SearchText::fromNormalized(std::string normalized) {
    SearchText result;
    result.text_ = std::move(normalized);
    result.byteMask_ = maskOf(result.text_);
    if (needsClusters(result.text_)) {
        auto standalone = standaloneStartsOf(result.text_);
        bool isStandalone = standalone.has_value();
        result.clusterStarts_ = isStandalone ? std::move(*standalone) : clusterStartsOf(result.text_);
        result.classes_.reserve(result.clusterStarts_.size() - 1);
        for (std::size_t index = 0; index + 1 < result.clusterStarts_.size(); ++index) {
            auto character = result.character(index);
            result.classes_.push_back(isStandalone && character.size() > 1 ? 0 : classOfCharacter(character));
        }
    }
    return result;
}

std::string_view SearchText::character(std::size_t index) const {
    if (isSingleByteCharacters()) return std::string_view(text_).substr(index, 1);
    return std::string_view(text_).substr(clusterStarts_[index], clusterStarts_[index + 1] - clusterStarts_[index]);
}

std::uint8_t SearchText::characterClass(std::size_t index) const {
    return isSingleByteCharacters() ? classOfASCII(text_[index]) : classes_[index];
}

bool SearchText::isCharacterBoundary(std::size_t offset) const {
    if (isSingleByteCharacters()) return offset <= text_.size();
    return std::binary_search(clusterStarts_.begin(), clusterStarts_.end(), static_cast<std::uint32_t>(offset));
}

SearchTextView SearchText::view() const {
    return SearchTextView{text_, byteMask_, isSingleByteCharacters() ? nullptr : this};
}

}  // namespace kestrelvault
