#include "GlobalShortcuts/Shortcut.hpp"

#include "GlobalShortcuts/ModifierFlagsConversion.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/carbon/CarbonTypes.hpp"
#include "platform/foundation/ProcessInfo.hpp"

namespace GlobalShortcuts {

std::optional<std::string> Shortcut::nsMenuItemKeyEquivalent() const {
    auto special = keyToSpecialKeyMapping().find(carbonKeyCode);
    if (special != keyToSpecialKeyMapping().end()) return details(special->second).menuKeyEquivalent;
    return keyToCharacter(carbonKeyCode);
}

std::shared_ptr<appkit::MenuItem> Shortcut::menuItemWithMatchingShortcut(const appkit::Menu& menu) const {
    for (const auto& item : menu.itemArray()) {
        auto keyEquivalent = item->keyEquivalent();
        auto mask = item->keyEquivalentModifierMask();
        // An upper-case key equivalent means shift.
        if (carbonModifiers & carbon::shiftKey) {
            if (auto lower = appkit::lowercasedKeyEquivalent(keyEquivalent); lower != keyEquivalent) {
                keyEquivalent = lower;
                mask = mask.adding(appkit::ModifierFlags::shift);
            }
        }
        auto keyString = nsMenuItemKeyEquivalent();
        if (keyString && keyEquivalent == *keyString && mask == modifiers()) return item;
        if (item->hasSubmenu())
            if (auto found = menuItemWithMatchingShortcut(*item->submenu())) return found;
    }
    return nullptr;
}

std::shared_ptr<appkit::MenuItem> Shortcut::takenByMainMenu() const {
    auto mainMenu = appkit::Application::shared()->mainMenu();
    return mainMenu ? menuItemWithMatchingShortcut(*mainMenu) : nullptr;
}

std::optional<ui::KeyboardShortcut> Shortcut::toSwiftUI() const {
    std::optional<ui::KeyEquivalent> key;
    auto special = keyToSpecialKeyMapping().find(carbonKeyCode);
    if (special != keyToSpecialKeyMapping().end()) {
        key = details(special->second).swiftUIKeyEquivalent;
    } else if (auto character = keyToCharacter(carbonKeyCode)) {
        key = ui::KeyEquivalent{*character};
    }
    if (!key) return std::nullopt;
    ui::KeyboardShortcut shortcut{*key, toEventModifiers(modifiers())};
    if (foundation::ProcessInfo::isOperatingSystemAtLeastVersion({12, 0, 0}))
        shortcut.localization = ui::KeyboardShortcut::Localization::custom;
    return shortcut;
}

}  // namespace GlobalShortcuts
