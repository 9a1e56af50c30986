#pragma once

#include "platform/carbon/CarbonTypes.hpp"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace carbon {

// What a key action translates for.
inline constexpr UInt16 kUCKeyActionDown = 0;
inline constexpr UInt16 kUCKeyActionUp = 1;
inline constexpr UInt16 kUCKeyActionAutoKey = 2;
inline constexpr UInt16 kUCKeyActionDisplay = 3;
// Translation option: a dead key gives its own character instead of waiting for the next key.
inline constexpr OptionBits kUCKeyTranslateNoDeadKeysMask = 1;

// A keyboard layout's key map: for each virtual key code, what it types with no modifier,
// with shift, with option and with shift and option; an entry is either text or a dead key
// that waits for the next key to compose with. Immutable once built; safe to share.
class UCKeyboardLayout {
public:
    enum class Layer { plain, shift, option, shiftOption };

    struct Output {
        std::u16string characters;
        UInt32 deadKey = 0;  // non-zero: a dead key with this identifier
    };
    struct DeadKey {
        std::u16string terminator;                  // typed when nothing composes
        std::map<std::u16string, std::u16string> compositions;  // next key's text → result
    };

    explicit UCKeyboardLayout(std::string name);

    const std::string& name() const { return name_; }

    // Texts in UTF-8; an empty text leaves that layer without output.
    UCKeyboardLayout& key(UInt16 keyCode, std::string_view plain, std::string_view shift = {},
                          std::string_view option = {}, std::string_view shiftOption = {});
    UCKeyboardLayout& deadKey(UInt16 keyCode, Layer layer, UInt32 identifier);
    UCKeyboardLayout& defineDeadKey(UInt32 identifier, std::string_view terminator,
                                    std::initializer_list<std::pair<std::string_view, std::string_view>> compositions);

    const Output* output(UInt16 keyCode, Layer layer) const;
    const DeadKey* deadKeyDefinition(UInt32 identifier) const;

private:
    std::string name_;
    std::map<UInt16, std::array<Output, 4>> keys_;
    std::map<UInt32, DeadKey> deadKeys_;
};

// Translates one key action as the platform does: modifierKeyState is the Carbon modifiers
// shifted right by 8; deadKeyState carries a pending dead key between calls. A key with no
// entry types nothing; text longer than the buffer fails with kUCOutputBufferTooSmall.
OSStatus UCKeyTranslate(const UCKeyboardLayout* layout, UInt16 virtualKeyCode, UInt16 keyAction,
                        UInt32 modifierKeyState, UInt32 keyboardType, OptionBits keyTranslateOptions,
                        UInt32* deadKeyState, UniCharCount maxStringLength, UniCharCount* actualStringLength,
                        UniChar* unicodeString);

// The keyboard type of the attached keyboard (an ANSI keyboard).
UInt32 LMGetKbdType();

std::u16string utf16FromUTF8(std::string_view text);
std::string utf8FromUTF16(std::u16string_view text);

}  // namespace carbon
