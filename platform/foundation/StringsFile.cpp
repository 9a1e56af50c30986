#include "platform/foundation/StringsFile.hpp"

#include "platform/foundation/String.hpp"

#include <cstdint>

namespace foundation {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<StringsFile::Table> read() {
        StringsFile::Table table;
        while (true) {
            if (!skipSpaceAndComments()) return std::nullopt;
            if (atEnd()) return table;
            auto key = quoted();
            if (!key) return std::nullopt;
            if (!skipSpaceAndComments()) return std::nullopt;
            std::string value = *key;
            if (peek() == '=') {
                ++position_;
                if (!skipSpaceAndComments()) return std::nullopt;
                auto text = quoted();
                if (!text) return std::nullopt;
                value = std::move(*text);
                if (!skipSpaceAndComments()) return std::nullopt;
            }
            if (peek() != ';') return fail("expected ';'");
            ++position_;
            table.insert_or_assign(std::move(*key), std::move(value));
        }
    }

    const std::string& failure() const { return failure_; }

private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[position_]; }

    std::nullopt_t fail(const std::string& message) {
        if (failure_.empty()) {
            std::size_t line = 1;
            for (std::size_t index = 0; index < position_ && index < text_.size(); ++index)
                if (text_[index] == '\n') ++line;
            failure_ = message + " on line " + std::to_string(line);
        }
        return std::nullopt;
    }

    bool skipSpaceAndComments() {
        while (!atEnd()) {
            char character = text_[position_];
            if (character == ' ' || character == '\t' || character == '\r' || character == '\n') {
                ++position_;
            } else if (text_.substr(position_, 2) == "//") {
                auto end = text_.find('\n', position_);
                position_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else if (text_.substr(position_, 2) == "/*") {
                auto end = text_.find("*/", position_ + 2);
                if (end == std::string_view::npos) {
                    fail("unterminated comment");
                    return false;
                }
                position_ = end + 2;
            } else {
                return true;
            }
        }
        return true;
    }

    static void appendUTF8(std::string& output, std::uint32_t codePoint) {
        if (codePoint < 0x80) {
            output += static_cast<char>(codePoint);
        } else if (codePoint < 0x800) {
            output += static_cast<char>(0xC0 | (codePoint >> 6));
            output += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else if (codePoint < 0x10000) {
            output += static_cast<char>(0xE0 | (codePoint >> 12));
            output += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            output += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else {
            output += static_cast<char>(0xF0 | (codePoint >> 18));
            output += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
            output += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            output += static_cast<char>(0x80 | (codePoint & 0x3F));
        }
    }

    std::optional<std::uint32_t> hexUnit() {
        if (position_ + 4 > text_.size()) return fail("incomplete \\U escape");
        std::uint32_t value = 0;
        for (int digit = 0; digit < 4; ++digit) {
            char character = text_[position_++];
            value <<= 4;
            if (character >= '0' && character <= '9')
                value |= static_cast<std::uint32_t>(character - '0');
            else if (character >= 'a' && character <= 'f')
                value |= static_cast<std::uint32_t>(character - 'a' + 10);
            else if (character >= 'A' && character <= 'F')
                value |= static_cast<std::uint32_t>(character - 'A' + 10);
            else
                return fail("bad hexadecimal digit in \\U escape");
        }
        return value;
    }

    // \Uxxxx, with a following \Uxxxx completing a surrogate pair.
    bool unicodeEscape(std::string& output) {
        auto unit = hexUnit();
        if (!unit) return false;
        std::uint32_t codePoint = *unit;
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            auto next = text_.substr(position_, 2);
            if (next != "\\U" && next != "\\u") return fail("unpaired surrogate"), false;
            position_ += 2;
            auto low = hexUnit();
            if (!low) return false;
            if (*low < 0xDC00 || *low > 0xDFFF) return fail("unpaired surrogate"), false;
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*low - 0xDC00);
        } else if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
            return fail("unpaired surrogate"), false;
        }
        appendUTF8(output, codePoint);
        return true;
    }

    std::optional<std::string> quoted() {
        if (peek() != '"') return fail("expected a quoted string");
        ++position_;
        std::string output;
        while (true) {
            if (atEnd()) return fail("unterminated string");
            char character = text_[position_++];
            if (character == '"') return output;
            if (character != '\\') {
                output += character;
                continue;
            }
            if (atEnd()) return fail("unterminated string");
            char escaped = text_[position_++];
            switch (escaped) {
            case 'n': output += '\n'; break;
            case 't': output += '\t'; break;
            case 'r': output += '\r'; break;
            case 'a': output += '\a'; break;
            case 'b': output += '\b'; break;
            case 'f': output += '\f'; break;
            case 'v': output += '\v'; break;
            case 'U':
            case 'u':
                if (!unicodeEscape(output)) return std::nullopt;
                break;
            default:
                if (escaped >= '0' && escaped <= '7') {
                    unsigned value = static_cast<unsigned>(escaped - '0');
                    for (int digit = 0; digit < 2 && peek() >= '0' && peek() <= '7'; ++digit)
                        value = value * 8 + static_cast<unsigned>(text_[position_++] - '0');
                    appendUTF8(output, value);
                } else {
                    output += escaped;  // \" \\ \' and any other character stand for themselves
                }
            }
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
    std::string failure_;
};

}  // namespace

Expected<StringsFile::Table> StringsFile::parse(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!isValidUTF8(text)) return Failure{"not UTF-8 text"};
    Reader reader(text);
    auto table = reader.read();
    if (!table) return Failure{reader.failure()};
    return std::move(*table);
}

}  // namespace foundation
