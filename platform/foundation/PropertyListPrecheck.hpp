#pragma once

#include <string>
#include <string_view>

namespace foundation {

// Checks the shape of property-list data before the parser sees it: the parser recurses
// once per nesting level and copies shared binary objects, so a hostile or corrupt file
// could exhaust the stack (deep nesting, reference cycles) or memory (a small file whose
// shared references expand exponentially). Stateless; safe from any thread.
class PropertyListPrecheck {
public:
    static constexpr std::size_t maximumDepth = 512;
    static constexpr std::uint64_t maximumExpandedObjects = 10'000'000;

    // True when the data may be handed to the parser; otherwise false with the reason.
    // Binary data whose offsets or references are inconsistent is refused as well, and so is
    // any text that is not storable (below): the parser aborts the process on a key or a
    // string read with a NUL inside, drops unpaired surrogates and passes other malformed
    // text through, which could then never be written back as it was read.
    static bool isSafeBinary(std::string_view data, std::string* reason = nullptr);
    // XML must be UTF-8 throughout, without NUL bytes, and its character references must name
    // storable characters.
    static bool isSafeXML(std::string_view data, std::string* reason = nullptr);

    // Text a property list holds faithfully: valid UTF-8 without U+0000 (the parser and the
    // writer work with C strings).
    static bool isStorableText(std::string_view text);
};

}  // namespace foundation
