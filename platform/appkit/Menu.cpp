#include "platform/appkit/Menu.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

namespace {

constexpr std::uint64_t keyEquivalentModifiers =
    ModifierFlags::command | ModifierFlags::shift | ModifierFlags::option | ModifierFlags::control |
    ModifierFlags::function;

bool matches(const MenuItem& item, const std::string& typed, ModifierFlags flags) {
    if (item.keyEquivalent().empty() || !item.isEnabled()) return false;
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
    auto item = itemWithKeyEquivalent(event);
    if (!item) return false;
    item->performAction();
    return true;
}

std::shared_ptr<MenuItem> Menu::itemWithKeyEquivalent(const Event& event) const {
    if (event.type() != EventType::keyDown) return nullptr;
    auto typed = lowercasedKeyEquivalent(event.charactersIgnoringModifiers().value_or(""));
    for (const auto& item : items_) {
        if (matches(*item, typed, event.modifierFlags())) return item;
        if (!item->hasSubmenu()) continue;
        if (auto found = item->submenu()->itemWithKeyEquivalent(event)) return found;
    }
    return nullptr;
}

}  // namespace appkit
