#pragma once

#include <string>
#include <string_view>

namespace kestrelvault {

// The form in which queries and bookmark fields are compared: compatibility composition
// (NFKC), Hiragana turned into Katakana, then the full Unicode lower-case mapping. The result
// is finally put in NFC so that equal bytes mean canonically equivalent characters, which
// changes no character count and no character's properties. ASCII text takes a byte-wise
// path. Pure functions; any thread.
std::string normalizeForSearch(std::string_view text);

// The Hiragana-to-Katakana transliteration as a table over code points (UTF-8 in and out):
// the same result as ICU's "Hiragana-Katakana" transform for NFKC text, once both are
// put in NFC.
std::string hiraganaToKatakana(std::string_view text);

// Removes the characters of general category Zs and the tab from both ends (line breaks
// stay).
std::string trimSpacesAndTabs(std::string_view text);

}  // namespace kestrelvault
