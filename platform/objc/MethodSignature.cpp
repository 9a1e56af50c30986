#include "platform/objc/MethodSignature.hpp"

#include <cctype>
#include <optional>

namespace objc {

namespace {

constexpr std::string_view qualifiers = "rnNoORVA";

bool isDigit(char character) { return std::isdigit(static_cast<unsigned char>(character)) != 0; }

// The length of the one type at the start of the text, qualifiers included; nullopt when the
// text does not start with a well-formed type.
std::optional<std::size_t> typeLength(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size() && qualifiers.find(text[position]) != std::string_view::npos) ++position;
    if (position == text.size()) return std::nullopt;
    char kind = text[position++];
    switch (kind) {
    case '@':
        if (position < text.size() && text[position] == '?') return position + 1;  // a block
        if (position < text.size() && text[position] == '"') {                     // a class name
            auto close = text.find('"', position + 1);
            if (close == std::string_view::npos) return std::nullopt;
            return close + 1;
        }
        return position;
    case '^': {
        auto pointee = typeLength(text.substr(position));
        if (!pointee) return std::nullopt;
        return position + *pointee;
    }
    case 'b':
        while (position < text.size() && isDigit(text[position])) ++position;
        return position;
    case '{':
    case '(':
    case '[': {
        int depth = 1;
        bool quoted = false;
        for (; position < text.size(); ++position) {
            char character = text[position];
            if (character == '"') quoted = !quoted;
            if (quoted) continue;
            if (character == '{' || character == '(' || character == '[') ++depth;
            if (character == '}' || character == ')' || character == ']') --depth;
            if (depth == 0) return position + 1;
        }
        return std::nullopt;
    }
    default:
        if (std::string_view("cislqCISLQfdBv*#:?").find(kind) == std::string_view::npos) return std::nullopt;
        return position;
    }
}

}  // namespace

bool isObjectType(std::string_view type) {
    while (!type.empty() && qualifiers.find(type.front()) != std::string_view::npos) type.remove_prefix(1);
    return type == "@" || (type.size() > 1 && type[0] == '@' && type[1] == '"');
}

std::vector<std::string> splitTypeEncoding(std::string_view typeEncoding) {
    std::vector<std::string> types;
    while (!typeEncoding.empty()) {
        auto length = typeLength(typeEncoding);
        if (!length) return {};
        types.emplace_back(typeEncoding.substr(0, *length));
        typeEncoding.remove_prefix(*length);
        while (!typeEncoding.empty() && (isDigit(typeEncoding.front()) || typeEncoding.front() == '-'))
            typeEncoding.remove_prefix(1);
    }
    return types;
}

std::shared_ptr<const MethodSignature> MethodSignature::signatureWithObjCTypes(std::string_view typeEncoding) {
    auto types = splitTypeEncoding(typeEncoding);
    if (types.size() < 3) return nullptr;  // the result, the receiver and the selector at least
    std::string returnType = std::move(types.front());
    types.erase(types.begin());
    return std::shared_ptr<const MethodSignature>(new MethodSignature(std::move(returnType), std::move(types)));
}

}  // namespace objc
