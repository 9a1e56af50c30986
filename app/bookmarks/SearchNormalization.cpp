#include "app/bookmarks/SearchNormalization.hpp"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace kestrelvault {

namespace {

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// The transform's own rules for the Hiragana block: letters move up by 0x60 to their
// Katakana twins, except the small ka and ke (U+3095, U+3096), which it leaves; the
// iteration marks do move; the digraph yori becomes the two Katakana yo and ri.
void appendKatakanaFor(UChar32 codePoint, icu::UnicodeString& out) {
    if ((codePoint >= 0x3041 && codePoint <= 0x3094) || codePoint == 0x309D || codePoint == 0x309E) {
        out.append(static_cast<UChar32>(codePoint + 0x60));
    } else if (codePoint == 0x309F) {
        out.append(static_cast<UChar32>(0x30E8)).append(static_cast<UChar32>(0x30EA));
    } else {
        out.append(codePoint);
    }
}

bool containsHiragana(const icu::UnicodeString& text) {
    for (int32_t index = 0; index < text.length(); ++index) {
        char16_t unit = text.charAt(index);
        if (unit >= 0x3041 && unit <= 0x309F) return true;
    }
    return false;
}

icu::UnicodeString katakanaOf(const icu::UnicodeString& text) {
    icu::UnicodeString out;
    for (int32_t index = 0; index < text.length();) {
        UChar32 codePoint = text.char32At(index);
        appendKatakanaFor(codePoint, out);
        index += U16_LENGTH(codePoint);
    }
    return out;
}

icu::UnicodeString normalized(const icu::Normalizer2* normalizer, const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    if (normalizer->isNormalized(text, status) && U_SUCCESS(status)) return text;
    status = U_ZERO_ERROR;
    icu::UnicodeString result = normalizer->normalize(text, status);
    return U_SUCCESS(status) ? result : text;
}

// ICU loads its normalisation data on first use under a guard of its own; taking the
// instances once here, under the language's guard, also lets thread checkers see that
// every thread reads them after they were made.
struct Normalizers {
    const icu::Normalizer2* nfkc = nullptr;
    const icu::Normalizer2* nfc = nullptr;
    const icu::Locale* root = nullptr;
};

const Normalizers& normalizers() {
    static const Normalizers instances = [] {
        Normalizers made;
        UErrorCode status = U_ZERO_ERROR;
        made.nfkc = icu::Normalizer2::getNFKCInstance(status);
        made.nfc = icu::Normalizer2::getNFCInstance(status);
        if (U_FAILURE(status)) made.nfkc = made.nfc = nullptr;
        made.root = &icu::Locale::getRoot();
        return made;
    }();
    return instances;
}

}  // namespace

std::string hiraganaToKatakana(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::string out;
    katakanaOf(unicode).toUTF8String(out);
    return out;
}

std::string normalizeForSearch(std::string_view text) {
    if (isASCII(text)) {
        std::string lower(text);
        for (char& byte : lower)
            if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte - 'A' + 'a');
        return lower;
    }
    const auto& forms = normalizers();
    auto unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    if (forms.nfkc) unicode = normalized(forms.nfkc, unicode);
    if (containsHiragana(unicode)) unicode = katakanaOf(unicode);
    unicode.toLower(*forms.root);
    if (forms.nfc) unicode = normalized(forms.nfc, unicode);
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

std::string trimSpacesAndTabs(std::string_view text) {
    auto isTrimmed = [](UChar32 codePoint) { return codePoint == '\t' || u_charType(codePoint) == U_SPACE_SEPARATOR; };
    auto length = static_cast<int32_t>(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 codePoint;
        U8_NEXT(bytes, next, length, codePoint);
        if (!isTrimmed(codePoint)) break;
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 codePoint;
        U8_PREV(bytes, begin, previous, codePoint);
        if (!isTrimmed(codePoint)) break;
        end = previous;
    }
    return std::string(text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

}  // namespace kestrelvault
