#pragma once

#include "platform/foundation/Expected.hpp"

#include <map>
#include <string>
#include <string_view>

namespace foundation {

// Reader of the text form of string tables: `"key" = "value";` entries (or `"key";`, whose
// value is the key), with /* */ and // comments and the usual backslash escapes, including
// \Uxxxx. UTF-8, with or without a byte-order mark. Stateless.
class StringsFile {
public:
    using Table = std::map<std::string, std::string, std::less<>>;

    // The table, or the description of the first fault (and its line) when the text is not
    // a well-formed table; nothing of a malformed file is used.
    static Expected<Table> parse(std::string_view text);
};

}  // namespace foundation
