#include "platform/appkit/Menu.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

namespace {

constexpr std::uint64_t keyEquivalentModifiers =
    ModifierFlags::command | ModifierFlags::shift | ModifierFlags::option | ModifierFlags::control |
    ModifierFlags::function;

bool matches(const MenuItem& item, const std::string& typed, ModifierFlags flags) {
    if (item.keyEquivalent().empty()) return false;
    auto equivalent = item.keyEquivalent();
    auto mask = item.keyEquivalentModifierMask().intersection(keyEquivalentModifiers);
    if (auto lower = lowercasedKeyEquivalent(equivalent); lower != equivalent) {
        equivalent = lower;
        mask = mask.adding(ModifierFlags::shift);
    }
    return equivalent == typed && mask == flags.intersection(keyEquivalentModifiers);
}

}  // namespace

Menu::Menu(std::string title) : title_(std::move(title)) {}

std::shared_ptr<Menu> Menu::make(std::string title) { return std::make_shared<Menu>(std::move(title)); }

void Menu::addItem(std::shared_ptr<MenuItem> item) {
    dispatch::checkMainThread();
    if (item) items_.push_back(std::move(item));
}

void Menu::removeItem(const std::shared_ptr<MenuItem>& item) {
    dispatch::checkMainThread();
    std::erase(items_, item);
}

bool Menu::performKeyEquivalent(const Event& event) {
    dispatch::checkMainThread();
    if (event.type() != EventType::keyDown) return false;
    auto typed = lowercasedKeyEquivalent(event.charactersIgnoringModifiers().value_or(""));
    auto items = items_;  // an action may edit the menu
    for (const auto& item : items) {
        if (matches(*item, typed, event.modifierFlags())) {
            item->performAction();
            return true;
        }
        if (item->hasSubmenu() && item->submenu()->performKeyEquivalent(event)) return true;
    }
    return false;
}

}  // namespace appkit
