#include "GlobalShortcuts/ModifierFlagsConversion.hpp"
#include "GlobalShortcuts/ResourceBundle.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/carbon/TextInputSources.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace GlobalShortcuts {

namespace {

// First letter of each word upper case, the rest lower case.
std::string capitalized(const std::string& text) {
    std::string result;
    icu::UnicodeString::fromUTF8(text).toTitle(nullptr, icu::Locale::getRoot()).toUTF8String(result);
    return result;
}

std::size_t characterCount(const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> characters(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) return static_cast<std::size_t>(text.countChar32());
    characters->setText(text);
    std::size_t count = 0;
    characters->first();
    while (characters->next() != icu::BreakIterator::DONE) ++count;
    return count;
}

}  // namespace

std::string Shortcut::specialKeyString(SpecialKey key) {
    if (key == SpecialKey::space) return capitalized(localizedString("space_key"));
    return details(key).displaySymbol;
}

std::optional<std::string> Shortcut::keyToCharacter(std::int64_t keyCode) {
    auto source = carbon::TISCopyCurrentASCIICapableKeyboardLayoutInputSource();
    if (!source) return std::nullopt;
    auto layout = carbon::TISGetInputSourceProperty(source, carbon::kTISPropertyUnicodeKeyLayoutData);
    if (!layout) return std::nullopt;
    if (keyToSpecialKeyMapping().count(keyCode)) return std::nullopt;
    // The translation takes a 16-bit key code; anything wider names no key.
    if (keyCode < 0 || keyCode > 0xFFFF) return std::nullopt;

    carbon::UInt32 deadKeyState = 0;
    constexpr carbon::UniCharCount maxLength = 4;
    carbon::UniChar characters[maxLength];
    carbon::UniCharCount length = 0;
    auto status = carbon::UCKeyTranslate(layout.get(), static_cast<carbon::UInt16>(keyCode),
                                         carbon::kUCKeyActionDisplay, 0, carbon::LMGetKbdType(), 0, &deadKeyState,
                                         maxLength, &length, characters);
    if (status != carbon::noErr) return std::nullopt;
    icu::UnicodeString text(characters, static_cast<int32_t>(length));
    if (characterCount(text) != 1) return std::nullopt;
    std::string result;
    text.toUTF8String(result);
    return result;
}

std::string Shortcut::description() const {
    auto symbols = symbolicRepresentation(modifiers());
    auto special = keyToSpecialKeyMapping().find(carbonKeyCode);
    if (special != keyToSpecialKeyMapping().end()) return symbols + specialKeyString(special->second);
    return symbols + capitalized(keyToCharacter(carbonKeyCode).value_or("\uFFFD"));
}

}  // namespace GlobalShortcuts
