#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace appkit {

// A range of characters (Unicode scalar values) in a text.
struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;
    std::size_t end() const { return location + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// UTF-8 text to scalar values and back (ill-formed bytes become U+FFFD).
std::u32string decodeUTF8(std::string_view text);
std::string encodeUTF8(std::u32string_view text);

}  // namespace appkit
