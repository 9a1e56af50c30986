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
    if (item && item == highlightedItem()) highlightItem(nullptr);
}

void Menu::removeAllItems() {
    dispatch::checkMainThread();
    items_.clear();
    highlightItem(nullptr);
}

void Menu::highlightItem(const std::shared_ptr<MenuItem>& item) {
    dispatch::checkMainThread();
    bool listed = item && item->isEnabled() && std::find(items_.begin(), items_.end(), item) != items_.end();
    auto highlighted = listed ? item : nullptr;
    if (highlighted != highlightedItem()) highlighted_.set(std::move(highlighted));
}

void Menu::moveHighlight(MenuHighlightStep step) {
    dispatch::checkMainThread();
    auto from = std::find(items_.begin(), items_.end(), highlightedItem());
    auto enabled = [](const std::shared_ptr<MenuItem>& item) { return item->isEnabled(); };
    if (step == MenuHighlightStep::next) {
        auto found = std::find_if(from == items_.end() ? items_.begin() : std::next(from), items_.end(), enabled);
        if (found != items_.end()) highlightItem(*found);
    } else {
        auto before = std::make_reverse_iterator(from);  // the items before the highlighted one, or all
        auto found = std::find_if(before, items_.rend(), enabled);
        if (found != items_.rend()) highlightItem(*found);
    }
}

foundation::ObservationToken Menu::observeHighlight(std::function<void(const std::shared_ptr<MenuItem>&)> observer) {
    dispatch::checkMainThread();
    return highlighted_.observe(std::move(observer));
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
