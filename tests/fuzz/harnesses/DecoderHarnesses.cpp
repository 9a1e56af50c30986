// Decoders of small stored forms: string tables, stored shortcuts and gzip data.
#include "tests/fuzz/harnesses/Harness.hpp"

#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/StringsFile.hpp"
#include "sdk/utilities/ZULNSData+zlib.hpp"

namespace fuzzing {

namespace {

// The text form of a table, quoting only what must be quoted.
std::string stringsText(const foundation::StringsFile::Table& table) {
    auto quoted = [](const std::string& text) {
        std::string out = "\"";
        for (char character : text) {
            if (character == '"' || character == '\\') out += '\\';
            out += character;
        }
        return out + "\"";
    };
    std::string text;
    for (const auto& [key, value] : table) text += quoted(key) + " = " + quoted(value) + ";\n";
    return text;
}

}  // namespace

Finding stringsTable(std::string_view input) {
    auto table = foundation::StringsFile::parse(input);
    if (!table) return table.error().empty() ? Finding("refused without a reason") : Finding();
    for (const auto& [key, value] : *table)
        if (!foundation::isValidUTF8(key) || !foundation::isValidUTF8(value)) return "a text that is not UTF-8: " + key;
    auto again = foundation::StringsFile::parse(stringsText(*table));
    if (!again) return "the table written out does not read: " + again.error();
    if (*again != *table) return "the table written out reads differently";
    return std::nullopt;
}

Finding storedShortcut(std::string_view input) {
    auto shortcut = GlobalShortcuts::Shortcut::decodeJSON(input);
    if (!shortcut) return std::nullopt;
    auto stored = shortcut->encodeJSON();
    auto again = GlobalShortcuts::Shortcut::decodeJSON(stored);
    if (!again) return "the stored form does not read: " + stored;
    if (again->carbonKeyCode != shortcut->carbonKeyCode || again->carbonModifiers != shortcut->carbonModifiers)
        return "the stored form reads differently: " + stored;
    if (again->encodeJSON() != stored) return "stored twice, stored differently: " + stored;
    return std::nullopt;
}

Finding gzip(std::string_view input) {
    auto data = foundation::Data::fromString(input);
    std::shared_ptr<foundation::Error> error;
    auto roundTrip = [&](const std::shared_ptr<foundation::Data>& original) -> Finding {
        if (original->length() == 0) return std::nullopt;
        auto compressed = zul_dataByGzippingData(original, &error);
        if (!compressed) return "not compressed: " + (error ? error->description() : std::string("no error"));
        auto inflated = zul_dataByInflatingGzippedData(compressed, &error);
        if (!inflated || inflated->bytes() != original->bytes()) return "compressed data inflates to something else";
        return std::nullopt;
    };
    if (auto finding = roundTrip(data)) return finding;
    error = nullptr;
    auto inflated = zul_dataByInflatingGzippedData(data, &error);
    if (!inflated) {
        if (!error && !input.empty()) return "inflation refused without an error";
        return std::nullopt;
    }
    return roundTrip(inflated);
}

}  // namespace fuzzing
