#include "GlobalShortcuts/CarbonGlobalShortcuts.hpp"

#include "platform/carbon/SymbolicHotKeys.hpp"
#include "platform/foundation/Array.hpp"
#include "platform/foundation/Number.hpp"

namespace GlobalShortcuts::CarbonGlobalShortcuts {

std::optional<Shortcut> parseSymbolicHotKey(const foundation::Dictionary& entry) {
    auto enabled = foundation::numberValue(entry.objectForKey(carbon::kHISymbolicHotKeyEnabled));
    auto code = foundation::numberValue(entry.objectForKey(carbon::kHISymbolicHotKeyCode));
    auto modifiers = foundation::numberValue(entry.objectForKey(carbon::kHISymbolicHotKeyModifiers));
    auto isInteger = [](const std::shared_ptr<foundation::Number>& number) {
        return number && (number->kind() == foundation::Number::Kind::integer ||
                          number->kind() == foundation::Number::Kind::unsignedInteger);
    };
    if (!enabled || !enabled->isBoolean() || !enabled->boolValue()) return std::nullopt;
    if (!isInteger(code) || !isInteger(modifiers)) return std::nullopt;
    return Shortcut(code->integerValue(), modifiers->integerValue());  // normalised like a raw key event
}

std::vector<Shortcut> systemShortcuts() {
    std::shared_ptr<foundation::Array> list;
    if (carbon::CopySymbolicHotKeys(&list) != carbon::noErr || !list) return {};
    std::vector<std::shared_ptr<foundation::Dictionary>> entries;
    for (const auto& item : list->items()) {
        auto entry = foundation::dictionaryValue(item);
        if (!entry) return {};
        entries.push_back(std::move(entry));
    }
    std::vector<Shortcut> shortcuts;
    for (const auto& entry : entries)
        if (auto shortcut = parseSymbolicHotKey(*entry)) shortcuts.push_back(*shortcut);
    return shortcuts;
}

}  // namespace GlobalShortcuts::CarbonGlobalShortcuts
