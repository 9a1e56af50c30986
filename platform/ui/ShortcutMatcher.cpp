#include "platform/ui/ShortcutMatcher.hpp"

#include <cctype>
#include <string>

namespace ui {

namespace {

std::string lowercased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::uint64_t ShortcutMatcher::modifierFlagsFor(EventModifiers modifiers) {
    std::uint64_t flags = 0;
    if (modifiers.contains(EventModifiers::command)) flags |= appkit::ModifierFlags::command;
    if (modifiers.contains(EventModifiers::shift)) flags |= appkit::ModifierFlags::shift;
    if (modifiers.contains(EventModifiers::option)) flags |= appkit::ModifierFlags::option;
    if (modifiers.contains(EventModifiers::control)) flags |= appkit::ModifierFlags::control;
    return flags;
}

std::function<void()> ShortcutMatcher::actionFor(const LayoutNode& root, const appkit::Event& event) {
    if (event.type() != appkit::EventType::keyDown) return nullptr;
    auto pressed = event.modifierFlags().rawValue & (appkit::ModifierFlags::command | appkit::ModifierFlags::shift |
                                                     appkit::ModifierFlags::option | appkit::ModifierFlags::control);
    auto key = lowercased(event.charactersIgnoringModifiers().value_or(""));
    std::function<void()> found;
    root.find([&](const LayoutNode& node) {
        if (node.kind() != NodeKind::keyboardShortcut) return false;
        const auto& shortcut = node.data<KeyboardShortcut>();
        if (shortcut.key.character.empty() || lowercased(shortcut.key.character) != key || modifierFlagsFor(shortcut.modifiers) != pressed) return false;
        const auto* button = node.find([](const LayoutNode& inner) { return inner.kind() == NodeKind::button; });
        if (!button || !button->data<ButtonData>().action || !button->environment.isEnabled) return false;
        found = button->data<ButtonData>().action;
        return true;
    });
    return found;
}

}  // namespace ui
