#include "platform/appkit/SpecialKey.hpp"

namespace appkit {

std::optional<SpecialKey> specialKeyForCharacter(char32_t character) {
    switch (character) {
    case 0x03: case 0x08: case 0x09: case 0x0A: case 0x0C: case 0x0D: case 0x19: case 0x7F: case 0x2028: case 0x2029:
        return static_cast<SpecialKey>(character);
    default:
        if (character >= 0xF700 && character <= 0xF747) return static_cast<SpecialKey>(character);
        return std::nullopt;
    }
}

}  // namespace appkit
