#include "GlobalShortcuts/MenuItem+Shortcut.hpp"

#include "GlobalShortcuts/ObjectAssociation.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace GlobalShortcuts {

namespace {

// The observation of a bound item; dropping it ends the binding.
ObjectAssociation<foundation::NotificationToken>& bindings() {
    static ObjectAssociation<foundation::NotificationToken> association(AssociationPolicy::retainNonatomic);
    return association;
}

void endBinding(const std::shared_ptr<appkit::MenuItem>& item) {
    if (auto observation = bindings()[item]) observation->remove();
}

}  // namespace

void setShortcut(const std::shared_ptr<appkit::MenuItem>& item, std::optional<Shortcut> shortcut) {
    dispatch::checkMainThread();
    item->setKeyEquivalent(shortcut ? shortcut->nsMenuItemKeyEquivalent().value_or("") : "");
    item->setKeyEquivalentModifierMask(shortcut ? shortcut->modifiers() : appkit::ModifierFlags());
    // The platform would adapt the key equivalent to the keyboard layout: not while it
    // stands for a global shortcut.
    if (foundation::ProcessInfo::isOperatingSystemAtLeastVersion({12, 0, 0}))
        item->setAllowsAutomaticKeyEquivalentLocalization(!shortcut);
}

void updateShortcut(const std::shared_ptr<appkit::MenuItem>& item, const Name& name) {
    setShortcut(item, getShortcut(name));
}

void setShortcut(const std::shared_ptr<appkit::MenuItem>& item, std::optional<Name> name) {
    dispatch::checkMainThread();
    endBinding(item);
    if (!name) {
        setShortcut(item, std::optional<Shortcut>());
        bindings().set(item, nullptr);
        return;
    }
    updateShortcut(item, *name);
    std::weak_ptr<appkit::MenuItem> weakItem = item;
    // The attachment is the only owner of the observation, so this goes with the binding:
    // a change announced before the item was unbound or bound anew is then not applied.
    auto binding = std::make_shared<std::weak_ptr<foundation::NotificationToken>>();
    auto observation = foundation::NotificationCenter::defaultCenter()->addObserver(
        shortcutByNameDidChange, nullptr, nullptr,
        [weakItem, binding, name = *name](const foundation::Notification& notification) {
            if (!announcesChange(notification, name)) return;
            dispatch::mainQueue()->async([weakItem, binding, name] {
                auto item = weakItem.lock();
                if (item && !binding->expired()) updateShortcut(item, name);
            });
        });
    std::shared_ptr<foundation::NotificationToken> token(std::move(observation));
    *binding = token;
    bindings().set(item, std::move(token));
}

}  // namespace GlobalShortcuts
