#include "platform/foundation/CollectionDescription.hpp"

#include "platform/foundation/String.hpp"

namespace foundation {

// The platform quotes strings in collection descriptions only when they need it.
std::string describeCollectionElement(const objc::Id& item) {
    auto text = stringValue(item);
    if (!text) return item ? item->description() : "(null)";
    bool plain = !text->empty();
    for (char character : *text) {
        bool allowed = (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
                       (character >= '0' && character <= '9') || character == '_' || character == '.' ||
                       character == '/' || character == '-';
        if (!allowed) plain = false;
    }
    if (plain) return *text;
    std::string quoted = "\"";
    for (char character : *text) {
        if (character == '"' || character == '\\') quoted += '\\';
        if (character == '\n') {
            quoted += "\\n";
            continue;
        }
        quoted += character;
    }
    return quoted + "\"";
}

std::string indentCollectionText(const std::string& text) {
    std::string result;
    for (char character : text) {
        result += character;
        if (character == '\n') result += "    ";
    }
    return result;
}


}  // namespace foundation
