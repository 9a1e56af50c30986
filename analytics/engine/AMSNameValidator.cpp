#include "analytics/engine/AMSNameValidator.hpp"

namespace {
bool isASCIILetter(char character) {
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}
bool isASCIIDigit(char character) { return character >= '0' && character <= '9'; }
}  // namespace

bool AMSNameValidator::isValidName(std::string_view name) {
    if (name.empty() || name.size() > kMaximumNameLength || !isASCIILetter(name.front())) return false;
    for (char character : name)
        if (!isASCIILetter(character) && !isASCIIDigit(character) && character != '_') return false;
    return true;
}
