#include "GlobalShortcuts/Views/GlobalKeyboardShortcutViewModifier.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/foundation/Number.hpp"

namespace GlobalShortcuts {

GlobalKeyboardShortcutViewModifier::GlobalKeyboardShortcutViewModifier(ui::Node content, Name name)
    : content_(std::move(content)), name_(std::move(name)) {}

ui::Node GlobalKeyboardShortcutViewModifier::body() {
    std::optional<ui::KeyboardShortcut> shortcut;
    if (!isRecorderActive_.get())
        if (auto stored = getShortcut(name_)) shortcut = stored->toSwiftUI();
    auto refresh = triggerRefresh_.binding();
    auto recorderActive = isRecorderActive_.binding();
    return content_.keyboardShortcut(shortcut)
        .id(triggerRefresh_.get() ? "refreshed" : "unrefreshed")
        .onReceive(shortcutByNameDidChange,
                   [refresh, name = name_](const foundation::Notification& notification) {
                       if (announcesChange(notification, name)) refresh.set(!refresh.get());
                   })
        .onReceive(recorderActiveStatusDidChange, [recorderActive](const foundation::Notification& notification) {
            auto isActive = notification.userInfo
                                ? objc::as<foundation::Number>(notification.userInfo->objectForKey("isActive"))
                                : nullptr;
            recorderActive.set(isActive && isActive->isBoolean() && isActive->boolValue());
        });
}

ui::Node globalKeyboardShortcut(ui::Node content, const Name& name) {
    return ui::make<GlobalKeyboardShortcutViewModifier>(std::move(content), name);
}

}  // namespace GlobalShortcuts
