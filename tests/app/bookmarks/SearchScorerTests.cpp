#include "app/bookmarks/SearchNormalization.hpp"
#include "app/bookmarks/SearchScorer.hpp"
#include "app/bookmarks/SearchText.hpp"

#include <gtest/gtest.h>

#include <unicode/brkiter.h>
#include <unicode/translit.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <memory>

using namespace kestrelvault;

namespace {

TEST(SearchScorer, FuzzyScoresFollowTheWorkedResults) {
    struct Case {
        const char* word;
        const char* text;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"gh", "github", 50},
        {"hub", "github", 45},
        {"g", "github", 36},  // start of text, run 1: 16 + 20
        {"x", "github", 0},   // not found
        {"", "github", 0},
        {"g", "", 0},
        // g@0: 36; b@4 after "-": 16 - 3 + 8 → 57.
        {"gb", "git-book", 57},
        // a@1: 16; b@3 after "/": 16 - 1 + 8 → 39; leading penalty 5 → 34.
        {"ab", "xa/b", 34},
    };
    for (auto& entry : cases)
        EXPECT_EQ(SearchScorer::fuzzyScore(entry.word, entry.text), entry.expected)
            << entry.word << " in " << entry.text;
}

TEST(SearchScorer, FuzzyBonusesByPreviousCharacter) {
    struct Case {
        const char* text;
        std::int64_t expected;  // the word "b" found at index 2 after "a" and the given separator
    };
    // b@2: 16 + bonus(first) - penalty 10.
    const Case cases[] = {
        {"a b", 16 + 20 - 10}, {"a\tb", 16 + 20 - 10}, {"a\nb", 16 + 20 - 10}, {"a/b", 16 + 16 - 10},
        {"a.b", 16 + 16 - 10}, {"a-b", 16 + 16 - 10},  {"a_b", 16 + 16 - 10},  {"aab", 16 - 10},
    };
    for (auto& entry : cases) EXPECT_EQ(SearchScorer::fuzzyScore("b", entry.text), entry.expected) << entry.text;
    // A lower-case letter before an upper-case one (only possible here with caseless-mapped
    // characters that stay upper-case after normalisation, such as a negative circled letter).
    EXPECT_EQ(SearchScorer::fuzzyScore("\U0001F150", "ab\U0001F150"), 16 + 14 - 10);
    // The leading penalty stops at 15: f@5 16, z@6 16 + run 4, penalty 15 (not 25).
    EXPECT_EQ(SearchScorer::fuzzyScore("fz", "abcdefz"), 16 + 16 + 4 - 15);
    // A one-character word found late falls under twice its length.
    EXPECT_EQ(SearchScorer::fuzzyScore("z", "abcdefz"), 0);
    // Below twice the word's length: 0.
    EXPECT_EQ(SearchScorer::fuzzyScore("ab", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxaxxxxxxxxxxxxxxxxxxxxxb"), 0);
}

TEST(SearchScorer, FuzzyCountsCharactersNotBytesOrScalars) {
    // "é" as e + combining acute stays one character: index 1 is "b" in "éb".
    EXPECT_EQ(SearchScorer::fuzzyScore("b", "q\u0301b"), 16 - 5);
    // An emoji with a skin tone is one character; the word's plain emoji does not match it.
    EXPECT_EQ(SearchScorer::fuzzyScore("\U0001F44D", "a\U0001F44D\U0001F3FD"), 0);
    EXPECT_EQ(SearchScorer::fuzzyScore("\U0001F44D\U0001F3FD", "a\U0001F44D\U0001F3FD"), 16 - 5);
    // A family emoji joined by ZWJ counts as one character before "x".
    EXPECT_EQ(SearchScorer::fuzzyScore("x", "\U0001F468\u200D\U0001F469\u200D\U0001F467x"), 16 - 5);
}

TEST(SearchScorer, MatchScoreConstantsAndWorkedResults) {
    struct Case {
        const char* label;
        const char* name;
        const char* url;
        const char* folder;
        std::vector<std::string> tokens;
        bool fuzzy;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"pro note against Project Notes", "Project Notes", "https://x/", "", {"pro", "note"}, false, 180},
        {"name start", "GitHub", "https://x/", "", {"git"}, false, 100},
        {"name contains", "My GitHub", "https://x/", "", {"git"}, false, 80},
        {"url only", "Code", "https://github.com/", "", {"github"}, false, 40},
        {"folder only", "Code", "https://x/", "Dev/GitHub", {"github"}, false, 30},
        {"name beats url and folder", "GitHub", "https://github.com/", "GitHub", {"github"}, false, 100},
        {"no words", "GitHub", "https://x/", "", {}, true, 0},
        {"one word missing zeroes all", "GitHub", "https://x/", "", {"git", "zzz"}, false, 0},
        {"fuzzy off", "GitHub", "https://x/", "", {"gh"}, false, 0},
        {"fuzzy name capped at 60", "GitHub", "https://x/", "", {"gh"}, true, 50},
        // g@8 after "/": 16 + 16; h@10 after ".": 16 - 1 + 8; penalty 15 → 40, halved.
        {"fuzzy url halved", "Code", "https://g.h/", "", {"gh"}, true, 20},
        {"fuzzy folder halved and capped", "Code", "u", "git-hub", {"gh"}, true, 20},
        {"one character absent even with fuzzy", "Code", "u", "", {"q"}, true, 0},
        {"case is irrelevant", "PROJECT", "u", "", {"project"}, false, 100},
    };
    for (auto& entry : cases)
        EXPECT_EQ(SearchScorer::matchScore(entry.name, entry.url, entry.folder, entry.tokens, entry.fuzzy),
                  entry.expected)
            << entry.label;
    // The URL's fuzzy score is halved and capped at 30: "gh" in "github" is 50 → 25.
    EXPECT_EQ(SearchScorer::matchScore("Code", "github", "", {"gh"}, true), 25);
    // A long fuzzy name match is capped at 60.
    EXPECT_EQ(SearchScorer::fuzzyScore("abcd", "abcd-x"), 16 + 20 + 16 + 8 + 16 + 12 + 16 + 16);
    EXPECT_EQ(SearchScorer::matchScore("abcdxx", "u", "", {"abdx"}, true), 60);
}

TEST(SearchScorer, ContainmentRespectsCharacterBoundaries) {
    // "e" is not contained in "é" written with a combining mark that has no precomposed form.
    EXPECT_EQ(SearchScorer::matchScore("q\u0301z", "u", "", {"q"}, false), 0);
    EXPECT_EQ(SearchScorer::matchScore("q\u0301z", "u", "", {normalizeForSearch("q\u0301")}, false), 100);
    // A flag is not two halves of its neighbours.
    EXPECT_EQ(
        SearchScorer::matchScore("\U0001F1FA\U0001F1F8\U0001F1EB\U0001F1F7", "u", "", {"\U0001F1F8\U0001F1EB"}, false),
        0);
    // Composed and decomposed forms are the same character.
    EXPECT_EQ(SearchScorer::matchScore("Cafe\u0301", "u", "", {normalizeForSearch("caf\u00E9")}, false), 100);
}

// Kana, CJK and Hangul text is split into characters without the grapheme segmenter;
// every code point of those blocks, beside its neighbours and beside ASCII, must still be
// split as the segmenter splits it, and none of them has a case.
TEST(SearchText, CharactersOfCJKTextAreTheGraphemeClusters) {
    const std::pair<UChar32, UChar32> blocks[] = {{0x3000, 0x303F}, {0x3040, 0x30FF}, {0x3400, 0x4DBF},
                                                  {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0x1100, 0x11FF}};
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> segmenter(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    for (auto [first, last] : blocks) {
        icu::UnicodeString unicode;
        for (UChar32 codePoint = first; codePoint <= last; ++codePoint) {
            unicode.append(codePoint);
            if (codePoint % 7 == 0) unicode.append(UChar32('a'));
        }
        std::string text;
        unicode.toUTF8String(text);
        auto prepared = SearchText::fromNormalized(text);
        std::vector<std::string> expected, actual;
        segmenter->setText(unicode);
        for (int32_t start = segmenter->first(), end = segmenter->next(); end != icu::BreakIterator::DONE;
             start = end, end = segmenter->next()) {
            std::string character;
            icu::UnicodeString(unicode, start, end - start).toUTF8String(character);
            expected.push_back(character);
        }
        for (std::size_t index = 0; index < prepared.characterCount(); ++index) {
            actual.emplace_back(prepared.character(index));
            EXPECT_EQ(prepared.characterClass(index), actual.back()[0] == 'a' ? SearchText::lowercase : 0)
                << std::hex << first;
        }
        EXPECT_EQ(actual, expected) << "block from U+" << std::hex << first;
    }
}

TEST(SearchNormalization, FoldsWidthKanaAndCase) {
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"GitHub", "github"},
        {"\uFF27\uFF49\uFF54", "git"},                             // full-width Latin
        {"\u3072\u3089\u304C\u306A", "\u30D2\u30E9\u30AC\u30CA"},  // Hiragana to Katakana
        {"\uFF8A\uFF9F", "\u30D1"},                                // half-width Katakana with semi-voiced mark
        {"\u3000a\u3000", " a "},                                  // ideographic space
        {"\u0130", "i\u0307"},                                     // full lower-case mapping
        {"\u039F\u03A3", "\u03BF\u03C2"},                          // final sigma
        {"\u2460", "1"},                                           // circled digit
        {"\u309F", "\u30E8\u30EA"},                                // the digraph yori
    };
    for (auto& entry : cases) EXPECT_EQ(normalizeForSearch(entry.input), entry.expected) << entry.input;
}

TEST(SearchNormalization, KanaTableEqualsTheTransliteratorOverTheHiraganaBlock) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> transliterator(
        icu::Transliterator::createInstance("Hiragana-Katakana", UTRANS_FORWARD, status));
    ASSERT_TRUE(U_SUCCESS(status));
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    auto viaICU = [&](const icu::UnicodeString& text) {
        icu::UnicodeString copy = text;
        transliterator->transliterate(copy);
        std::string out;
        copy.toUTF8String(out);
        return out;
    };
    auto nfcOf = [&](const std::string& text) {
        UErrorCode error = U_ZERO_ERROR;
        std::string out;
        nfc->normalize(icu::UnicodeString::fromUTF8(text), error).toUTF8String(out);
        return out;
    };
    for (UChar32 codePoint = 0x3040; codePoint <= 0x309F; ++codePoint) {
        icu::UnicodeString alone(codePoint);
        std::string utf8;
        alone.toUTF8String(utf8);
        EXPECT_EQ(hiraganaToKatakana(utf8), viaICU(alone)) << std::hex << codePoint;
        // Followed by the voiced and semi-voiced marks, and between Latin letters.
        for (const char* suffix : {"\u3099", "\u309A", "b"}) {
            std::string text = "a" + utf8 + suffix;
            EXPECT_EQ(nfcOf(hiraganaToKatakana(text)), nfcOf(viaICU(icu::UnicodeString::fromUTF8(text))))
                << std::hex << codePoint << " " << suffix;
        }
    }
}

TEST(SearchNormalization, TrimsSpaceSeparatorsAndTabsButNotLineBreaks) {
    EXPECT_EQ(trimSpacesAndTabs(" \t\u00A0\u3000a b\u2003 "), "a b");
    EXPECT_EQ(trimSpacesAndTabs("\na\n"), "\na\n");
    EXPECT_EQ(trimSpacesAndTabs(" \t "), "");
}

}  // namespace
