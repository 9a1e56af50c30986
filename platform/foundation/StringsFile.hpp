#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Reader of the text form of string tables: `"key" = "value";` entries (or `"key";`, whose
// value is the key), with /* */ and // comments and the usual backslash escapes, including
// \Uxxxx. UTF-8, with or without a byte-order mark. Stateless.
class StringsFile {
public:
    using Table = std::map<std::string, std::string, std::less<>>;

    // The table, or nullopt with a description of the first fault (and its line) when the
    // text is not a well-formed table; nothing of a malformed file is used.
    static std::optional<Table> parse(std::string_view text, std::string* failure = nullptr);
};

}  // namespace foundation
