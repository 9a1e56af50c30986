#pragma once

#include "app/bookmarks/PaddedFile.hpp"

#include <simdjson.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrelvault {

// A JSON file read whole and parsed (validated as a whole first, so a damaged file yields
// nothing at all). Elements point into the document: keep it alive while using them. One
// owner; move-only; not shared between threads.
class JSONDocument {
public:
    // Nullopt when the path is not a readable regular file or does not parse as JSON.
    // Nesting up to a million levels parses; walkers bound their own depth. While it parses,
    // a file costs about three times its size (its text, simdjson's index of it and the
    // document); the document alone, once loaded, about one and a half.
    static std::optional<JSONDocument> load(const std::filesystem::path& path);

    simdjson::dom::element root() const { return root_; }

private:
    // Parses the text; false when it is not JSON. The parser's working storage and the
    // text go as soon as it returns: the document keeps its own copy of every string.
    bool parse(const simdjson::padded_string& contents);

    std::unique_ptr<simdjson::dom::document> document_;
    simdjson::dom::element root_;
};

// Members as a parsed dictionary holds them: a name written twice keeps the value written
// last. The member's value (any type), nullopt when missing.
std::optional<simdjson::dom::element> member(simdjson::dom::object object, std::string_view key);
// The member's value as an object or a string, nullopt when missing or of another type.
std::optional<simdjson::dom::object> objectMember(simdjson::dom::object object, std::string_view key);
std::optional<std::string_view> stringMember(simdjson::dom::object object, std::string_view key);
// One entry per member name, with its last value, in the order of those last values.
std::vector<std::pair<std::string_view, simdjson::dom::element>> distinctMembers(simdjson::dom::object object);

}  // namespace kestrelvault
