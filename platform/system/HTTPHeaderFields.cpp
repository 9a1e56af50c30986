#include "platform/system/HTTPHeaderFields.hpp"

#include <algorithm>
#include <cctype>

namespace foundation {

bool CaseInsensitiveLess::operator()(std::string_view left, std::string_view right) const {
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) < std::tolower(static_cast<unsigned char>(b));
    });
}

HTTPHeaderFields::HTTPHeaderFields(std::initializer_list<std::pair<const std::string, std::string>> fields) {
    for (const auto& [name, value] : fields) setValue(value, name);
}

std::optional<std::string> HTTPHeaderFields::valueForField(std::string_view name) const {
    auto found = fields_.find(name);
    if (found == fields_.end()) return std::nullopt;
    return found->second;
}

void HTTPHeaderFields::setValue(std::string value, const std::string& name) {
    fields_.erase(name);
    fields_.emplace(name, std::move(value));
}

bool HTTPHeaderFields::isSendable(std::string_view name, std::string_view value) {
    auto isTokenCharacter = [](char character) {
        return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'Z') ||
               (character >= 'a' && character <= 'z') || std::string_view("!#$%&'*+-.^_`|~").find(character) != std::string_view::npos;
    };
    return !name.empty() && std::all_of(name.begin(), name.end(), isTokenCharacter) &&
           value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool HTTPHeaderFields::allSendable() const {
    return std::all_of(fields_.begin(), fields_.end(), [](const auto& field) { return isSendable(field.first, field.second); });
}

void HTTPHeaderFields::removeField(std::string_view name) {
    if (auto found = fields_.find(name); found != fields_.end()) fields_.erase(found);
}

}  // namespace foundation
