#include "app/bookmarks/JSONDocument.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

namespace kestrelvault {

namespace {

constexpr std::size_t maximumNesting = std::size_t{1} << 20;

// The end of the number token that starts at `index`: sign, digits, fraction, exponent.
std::size_t numberEnd(std::string_view text, std::size_t index, bool& isInteger) {
    auto digitsFrom = [&](std::size_t at) {
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at;
    };
    std::size_t end = digitsFrom(index + (text[index] == '-' ? 1 : 0));
    isInteger = true;
    if (end < text.size() && text[end] == '.') {
        isInteger = false;
        end = digitsFrom(end + 1);
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        isInteger = false;
        ++end;
        if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
        end = digitsFrom(end);
    }
    return end;
}

// simdjson refuses integers beyond 64 bits, which are valid JSON. The readers use no
// numbers, so such a document is read again with its long integers written with a
// fraction (".0"), which simdjson takes as doubles. Strings are copied untouched.
std::string withLongIntegersAsDecimals(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 64);
    bool inString = false;
    for (std::size_t index = 0; index < text.size();) {
        char byte = text[index];
        if (inString) {
            std::size_t length = byte == '\\' && index + 1 < text.size() ? 2 : 1;
            out.append(text.substr(index, length));
            if (byte == '"') inString = false;
            index += length;
        } else if (byte == '-' || (byte >= '0' && byte <= '9')) {
            bool isInteger = false;
            std::size_t end = numberEnd(text, index, isInteger);
            out.append(text.substr(index, end - index));
            std::size_t digits = end - index - (byte == '-' ? 1 : 0);
            if (isInteger && digits >= 19) out += ".0";
            index = end;
        } else {
            inString = byte == '"';
            out += byte;
            ++index;
        }
    }
    return out;
}

}  // namespace

bool JSONDocument::parse(const simdjson::padded_string& contents) {
    simdjson::dom::parser parser;
    document_ = std::make_unique<simdjson::dom::document>();
    // A valid document cannot nest deeper than half its length, so up to a million levels
    // every document parses; the parser's depth stack costs a few bytes per level.
    std::size_t size = contents.size();
    std::size_t depth = std::clamp<std::size_t>(size / 2 + 2, simdjson::DEFAULT_MAX_DEPTH, maximumNesting);
    if (parser.allocate(std::max<std::size_t>(size, 1), depth) != simdjson::SUCCESS) return false;
    auto error = parser.parse_into_document(*document_, contents).get(root_);
    if (error == simdjson::NUMBER_ERROR) {
        auto rewritten = withLongIntegersAsDecimals(std::string_view(contents.data(), contents.size()));
        if (rewritten.size() == contents.size()) return false;  // not a long integer: a real error
        return parse(simdjson::padded_string(rewritten));
    }
    return error == simdjson::SUCCESS;
}

std::optional<JSONDocument> JSONDocument::load(const std::filesystem::path& path) {
    auto contents = readPaddedFile(path);
    JSONDocument document;
    if (!contents || !document.parse(*contents)) return std::nullopt;
    return document;
}

std::optional<simdjson::dom::element> member(simdjson::dom::object object, std::string_view key) {
    std::optional<simdjson::dom::element> found;
    for (auto field : object)
        if (field.key == key) found = field.value;
    return found;
}

std::optional<simdjson::dom::object> objectMember(simdjson::dom::object object, std::string_view key) {
    simdjson::dom::object value;
    auto found = member(object, key);
    if (!found || found->get_object().get(value) != simdjson::SUCCESS) return std::nullopt;
    return value;
}

std::optional<std::string_view> stringMember(simdjson::dom::object object, std::string_view key) {
    std::string_view value;
    auto found = member(object, key);
    if (!found || found->get_string().get(value) != simdjson::SUCCESS) return std::nullopt;
    return value;
}

std::vector<std::pair<std::string_view, simdjson::dom::element>> distinctMembers(simdjson::dom::object object) {
    std::vector<std::pair<std::string_view, simdjson::dom::element>> all;
    for (auto field : object) all.emplace_back(field.key, field.value);
    std::unordered_set<std::string_view> later;
    std::vector<std::pair<std::string_view, simdjson::dom::element>> kept;
    for (auto entry = all.rbegin(); entry != all.rend(); ++entry)
        if (later.insert(entry->first).second) kept.push_back(*entry);
    std::reverse(kept.begin(), kept.end());
    return kept;
}

}  // namespace kestrelvault
