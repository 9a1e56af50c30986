#include "platform/ui/MenuBuilder.hpp"

#include "platform/ui/ShortcutMatcher.hpp"

#include <optional>

namespace ui {

namespace {

struct Context {
    EnvironmentValues environment;
    std::optional<KeyboardShortcut> shortcut;
};

std::string firstText(const ResolvedNode& node) {
    if (node.node.kind() == NodeKind::text) return node.node.data<TextData>().text;
    for (const auto& child : node.children)
        if (auto text = firstText(child); !text.empty()) return text;
    return "";
}

void collect(const ResolvedNode& node, Context context, appkit::Menu& menu) {
    switch (node.node.kind()) {
    case NodeKind::environment:
        if (const auto& change = node.node.data<EnvironmentData>().change) change(context.environment);
        break;
    case NodeKind::keyboardShortcut: {
        const auto& shortcut = node.node.data<KeyboardShortcut>();
        // An empty key takes the shortcut of the buttons below away.
        context.shortcut = shortcut.key.character.empty() ? std::nullopt : std::optional(shortcut);
        break;
    }
    case NodeKind::divider:
        menu.addItem(appkit::MenuItem::separatorItem());
        return;
    case NodeKind::button: {
        auto item = appkit::MenuItem::make(firstText(node), node.node.data<ButtonData>().action);
        if (context.shortcut) MenuBuilder::applyShortcut(*context.shortcut, *item);
        item->setEnabled(context.environment.isEnabled);
        menu.addItem(std::move(item));
        return;
    }
    default:
        break;
    }
    for (const auto& child : node.children) collect(child, context, menu);
}

}  // namespace

void MenuBuilder::fill(appkit::Menu& menu, const ResolvedNode& root, EnvironmentValues environment) {
    menu.removeAllItems();
    collect(root, Context{std::move(environment), std::nullopt}, menu);
}

void MenuBuilder::applyShortcut(const KeyboardShortcut& shortcut, appkit::MenuItem& item) {
    item.setKeyEquivalent(appkit::lowercasedKeyEquivalent(shortcut.key.character));
    item.setKeyEquivalentModifierMask(appkit::ModifierFlags(ShortcutMatcher::modifierFlagsFor(shortcut.modifiers)));
}

}  // namespace ui
