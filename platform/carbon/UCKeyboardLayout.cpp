#include "platform/carbon/UCKeyboardLayout.hpp"

#include <unicode/unistr.h>

#include <algorithm>

namespace carbon {

std::u16string utf16FromUTF8(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    return std::u16string(unicode.getBuffer(), unicode.getBuffer() + unicode.length());
}

std::string utf8FromUTF16(std::u16string_view text) {
    std::string result;
    icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())).toUTF8String(result);
    return result;
}

UCKeyboardLayout::UCKeyboardLayout(std::string name) : name_(std::move(name)) {}

UCKeyboardLayout& UCKeyboardLayout::key(UInt16 keyCode, std::string_view plain, std::string_view shift,
                                        std::string_view option, std::string_view shiftOption) {
    auto& layers = keys_[keyCode];
    layers[0].characters = utf16FromUTF8(plain);
    layers[1].characters = utf16FromUTF8(shift.empty() ? plain : shift);
    // Keys without an option layer type their plain text with option held.
    layers[2].characters = option.empty() ? layers[0].characters : utf16FromUTF8(option);
    layers[3].characters = shiftOption.empty() ? layers[1].characters : utf16FromUTF8(shiftOption);
    return *this;
}

UCKeyboardLayout& UCKeyboardLayout::deadKey(UInt16 keyCode, Layer layer, UInt32 identifier) {
    auto& output = keys_[keyCode][static_cast<std::size_t>(layer)];
    output.characters.clear();
    output.deadKey = identifier;
    return *this;
}

UCKeyboardLayout& UCKeyboardLayout::defineDeadKey(
    UInt32 identifier, std::string_view terminator,
    std::initializer_list<std::pair<std::string_view, std::string_view>> compositions) {
    DeadKey definition{utf16FromUTF8(terminator), {}};
    for (const auto& [base, composed] : compositions)
        definition.compositions[utf16FromUTF8(base)] = utf16FromUTF8(composed);
    deadKeys_[identifier] = std::move(definition);
    return *this;
}

const UCKeyboardLayout::Output* UCKeyboardLayout::output(UInt16 keyCode, Layer layer) const {
    auto found = keys_.find(keyCode);
    return found == keys_.end() ? nullptr : &found->second[static_cast<std::size_t>(layer)];
}

const UCKeyboardLayout::DeadKey* UCKeyboardLayout::deadKeyDefinition(UInt32 identifier) const {
    auto found = deadKeys_.find(identifier);
    return found == deadKeys_.end() ? nullptr : &found->second;
}

namespace {

// Modifier key state bits (Carbon modifiers >> 8).
constexpr UInt32 shiftState = shiftKey >> 8;
constexpr UInt32 capsLockState = alphaLock >> 8;
constexpr UInt32 optionState = optionKey >> 8;

UCKeyboardLayout::Layer layerFor(UInt32 modifierKeyState) {
    bool shift = modifierKeyState & shiftState;
    bool option = modifierKeyState & optionState;
    if (shift && option) return UCKeyboardLayout::Layer::shiftOption;
    if (option) return UCKeyboardLayout::Layer::option;
    if (shift) return UCKeyboardLayout::Layer::shift;
    return UCKeyboardLayout::Layer::plain;
}

}  // namespace

OSStatus UCKeyTranslate(const UCKeyboardLayout* layout, UInt16 virtualKeyCode, UInt16 keyAction,
                        UInt32 modifierKeyState, UInt32, OptionBits keyTranslateOptions, UInt32* deadKeyState,
                        UniCharCount maxStringLength, UniCharCount* actualStringLength, UniChar* unicodeString) {
    if (!layout || !deadKeyState || !actualStringLength || keyAction > kUCKeyActionDisplay) return paramErr;
    *actualStringLength = 0;
    if (keyAction == kUCKeyActionUp) return noErr;

    std::u16string text;
    const auto* output = layout->output(virtualKeyCode, layerFor(modifierKeyState));
    const auto* pending = *deadKeyState ? layout->deadKeyDefinition(*deadKeyState) : nullptr;
    if (output && output->deadKey) {
        const auto* definition = layout->deadKeyDefinition(output->deadKey);
        if (pending) text = pending->terminator;
        if (keyTranslateOptions & kUCKeyTranslateNoDeadKeysMask) {
            if (definition) text += definition->terminator;
            *deadKeyState = 0;
        } else {
            *deadKeyState = output->deadKey;
        }
    } else {
        if (output) text = output->characters;
        if ((modifierKeyState & capsLockState) && !(modifierKeyState & shiftState) && text.size() == 1 &&
            text[0] >= u'a' && text[0] <= u'z')
            text[0] = char16_t(text[0] - u'a' + u'A');
        if (pending) {
            auto composed = pending->compositions.find(text);
            text = composed != pending->compositions.end() ? composed->second : pending->terminator + text;
        }
        *deadKeyState = 0;
    }

    if (text.size() > maxStringLength) return kUCOutputBufferTooSmall;
    if (!text.empty() && !unicodeString) return paramErr;
    std::copy(text.begin(), text.end(), unicodeString);
    *actualStringLength = text.size();
    return noErr;
}

UInt32 LMGetKbdType() { return 40; }

}  // namespace carbon
