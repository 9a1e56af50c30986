#include "tests/app/bookmarks/PlainSearch.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace plain {

namespace {

icu::UnicodeString unicodeOf(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string utf8Of(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// One user-perceived character: its text, and its canonical form for comparisons.
struct Character {
    icu::UnicodeString text;
    icu::UnicodeString canonical;
    bool operator==(const Character& other) const { return canonical == other.canonical; }
    bool is(const char* ascii) const { return text == icu::UnicodeString(ascii); }
};

std::vector<Character> charactersOf(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    auto text = unicodeOf(utf8);
    // Made once per thread: loading the rules costs more than breaking any text.
    thread_local std::unique_ptr<icu::BreakIterator> breaks(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    breaks->setText(text);
    std::vector<Character> characters;
    for (int32_t start = breaks->first(), end = breaks->next(); end != icu::BreakIterator::DONE;
         start = end, end = breaks->next()) {
        icu::UnicodeString piece(text, start, end - start);
        characters.push_back(Character{piece, nfd->normalize(piece, status)});
    }
    return characters;
}

// Lower-case: unchanged by lower-casing and changed by upper-casing; upper-case the converse.
// A single scalar answers by its Unicode property instead.
bool hasCase(const Character& character, UProperty property) {
    if (character.text.countChar32() == 1) return u_hasBinaryProperty(character.text.char32At(0), property);
    icu::UnicodeString lower = character.text, upper = character.text;
    lower.toLower(icu::Locale::getRoot());
    upper.toUpper(icu::Locale::getRoot());
    const auto& same = property == UCHAR_LOWERCASE ? lower : upper;
    const auto& other = property == UCHAR_LOWERCASE ? upper : lower;
    return same == character.text && other != character.text;
}

bool startsWith(const std::vector<Character>& text, const std::vector<Character>& word) {
    return word.size() <= text.size() && std::equal(word.begin(), word.end(), text.begin());
}

bool contains(const std::vector<Character>& text, const std::vector<Character>& word) {
    if (word.empty()) return true;
    return std::search(text.begin(), text.end(), word.begin(), word.end()) != text.end();
}

std::int64_t fuzzy(const std::vector<Character>& q, const std::vector<Character>& t) {
    if (q.empty() || t.empty()) return 0;
    std::int64_t score = 0, run = 0;
    std::optional<std::size_t> previous, first;
    std::size_t position = 0;
    for (std::size_t i = 0; i < q.size(); ++i) {
        std::optional<std::size_t> found;
        for (std::size_t j = position; j < t.size() && !found; ++j)
            if (t[j] == q[i]) found = j;
        if (!found) return 0;
        std::size_t j = *found;
        score += 16;
        if (previous && j - *previous - 1 >= 1) score -= static_cast<std::int64_t>(j - *previous - 1);
        std::int64_t bonus = 0;
        if (j == 0)
            bonus = i == 0 ? 20 : 10;
        else if (t[j - 1].is(" ") || t[j - 1].is("\t") || t[j - 1].is("\n"))
            bonus = i == 0 ? 20 : 10;
        else if (t[j - 1].is("/") || t[j - 1].is(".") || t[j - 1].is("-") || t[j - 1].is("_"))
            bonus = i == 0 ? 16 : 8;
        else if (hasCase(t[j - 1], UCHAR_LOWERCASE) && hasCase(t[j], UCHAR_UPPERCASE))
            bonus = i == 0 ? 14 : 7;
        if ((previous && j == *previous + 1) || (!previous && j == 0)) {
            ++run;
            score += std::max(4 * run, bonus);
        } else {
            run = 0;
            score += bonus;
        }
        previous = j;
        if (!first) first = j;
        position = j + 1;
    }
    if (*first >= 1) score += std::max<std::int64_t>(-5 * static_cast<std::int64_t>(*first), -15);
    return score < 2 * static_cast<std::int64_t>(q.size()) ? 0 : score;
}

bool isTrimmed(UChar32 codePoint) { return codePoint == '\t' || u_charType(codePoint) == U_SPACE_SEPARATOR; }

}  // namespace

std::string normalize(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    static const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    static std::unique_ptr<icu::Transliterator> kana(
        icu::Transliterator::createInstance("Hiragana-Katakana", UTRANS_FORWARD, status));
    auto unicode = nfkc->normalize(unicodeOf(text), status);
    kana->transliterate(unicode);
    unicode.toLower(icu::Locale::getRoot());
    return utf8Of(unicode);
}

std::vector<std::string> words(std::string_view query) {
    auto unicode = unicodeOf(normalize(query));
    int32_t begin = 0, end = unicode.length();
    while (begin < end && isTrimmed(unicode.char32At(begin))) begin = unicode.moveIndex32(begin, 1);
    while (end > begin && isTrimmed(unicode.char32At(unicode.moveIndex32(end, -1)))) end = unicode.moveIndex32(end, -1);
    std::vector<std::string> result;
    std::string word;
    for (auto& character : charactersOf(utf8Of(icu::UnicodeString(unicode, begin, end - begin)))) {
        if (character.is(" ")) {
            if (!word.empty()) result.push_back(word);
            word.clear();
        } else {
            word += utf8Of(character.text);
        }
    }
    if (!word.empty()) result.push_back(word);
    return result;
}

std::int64_t fuzzyScore(std::string_view word, std::string_view text) {
    return fuzzy(charactersOf(word), charactersOf(text));
}

std::int64_t matchScore(const kestrelvault::Bookmark& bookmark, const std::vector<std::string>& tokens, bool fuzzyOn) {
    auto name = charactersOf(normalize(bookmark.name));
    auto url = charactersOf(normalize(bookmark.url));
    auto folder = charactersOf(normalize(bookmark.folderPath));
    if (tokens.empty()) return 0;
    std::int64_t total = 0;
    for (const auto& token : tokens) {
        auto word = charactersOf(token);
        std::int64_t s = 0;
        if (contains(name, word)) s = startsWith(name, word) ? 100 : 80;
        if (contains(url, word)) s = std::max<std::int64_t>(s, 40);
        if (contains(folder, word)) s = std::max<std::int64_t>(s, 30);
        if (s == 0) {
            if (!fuzzyOn) return 0;
            s = std::max({std::min<std::int64_t>(fuzzy(word, name), 60), std::min<std::int64_t>(fuzzy(word, url) / 2, 30),
                          std::min<std::int64_t>(fuzzy(word, folder) / 2, 20)});
            if (s == 0) return 0;
        }
        total += s;
    }
    return total;
}

std::vector<kestrelvault::Bookmark> search(const std::vector<kestrelvault::Bookmark>& bookmarks,
                                           std::string_view query, bool fuzzyOn) {
    auto tokens = words(query);
    if (tokens.empty())
        return std::vector<kestrelvault::Bookmark>(bookmarks.begin(),
                                                   bookmarks.begin() + std::min<std::ptrdiff_t>(20, bookmarks.size()));
    std::vector<std::pair<std::int64_t, std::size_t>> kept;
    for (std::size_t index = 0; index < bookmarks.size(); ++index)
        if (auto score = matchScore(bookmarks[index], tokens, fuzzyOn); score > 0) kept.emplace_back(score, index);
    std::stable_sort(kept.begin(), kept.end(), [](auto& left, auto& right) { return left.first > right.first; });
    std::vector<kestrelvault::Bookmark> result;
    for (std::size_t rank = 0; rank < std::min<std::size_t>(20, kept.size()); ++rank)
        result.push_back(bookmarks[kept[rank].second]);
    return result;
}

}  // namespace plain
