#include "app/bookmarks/JSONDocument.hpp"

#include <algorithm>

namespace kestrelvault {

namespace {

constexpr std::size_t maximumNesting = std::size_t{1} << 20;

}  // namespace

std::optional<JSONDocument> JSONDocument::load(const std::filesystem::path& path) {
    auto contents = readPaddedFile(path);
    if (!contents) return std::nullopt;
    JSONDocument document;
    document.buffer_ = std::make_unique<simdjson::padded_string>(std::move(*contents));
    document.parser_ = std::make_unique<simdjson::dom::parser>();
    // A valid document cannot nest deeper than half its length, so up to a million levels
    // every document parses; the parser's depth stack costs a few bytes per level.
    std::size_t size = document.buffer_->size();
    std::size_t depth = std::clamp<std::size_t>(size / 2 + 2, simdjson::DEFAULT_MAX_DEPTH, maximumNesting);
    if (document.parser_->allocate(std::max<std::size_t>(size, 1), depth) != simdjson::SUCCESS) return std::nullopt;
    if (document.parser_->parse(*document.buffer_).get(document.root_) != simdjson::SUCCESS) return std::nullopt;
    return document;
}

std::optional<simdjson::dom::object> objectMember(simdjson::dom::object object, std::string_view key) {
    simdjson::dom::object value;
    if (object.at_key(key).get_object().get(value) != simdjson::SUCCESS) return std::nullopt;
    return value;
}

std::optional<std::string_view> stringMember(simdjson::dom::object object, std::string_view key) {
    std::string_view value;
    if (object.at_key(key).get_string().get(value) != simdjson::SUCCESS) return std::nullopt;
    return value;
}

}  // namespace kestrelvault
