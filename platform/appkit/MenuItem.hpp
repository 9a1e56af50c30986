#pragma once

#include "platform/appkit/ModifierFlags.hpp"
#include "platform/objc/Object.hpp"

#include <functional>
#include <memory>
#include <string>

namespace appkit {

class Menu;

// One entry of a menu: title, key equivalent with its modifier mask, an optional submenu
// and the action it performs; or a separator line. A disabled item (or a separator) is
// shown but never performed. Main thread only; held by its menu.
class MenuItem final : public objc::Object {
public:
    MenuItem(std::string title, std::function<void()> action = nullptr, std::string keyEquivalent = "");
    static std::shared_ptr<MenuItem> make(std::string title, std::function<void()> action = nullptr,
                                          std::string keyEquivalent = "");
    static std::shared_ptr<MenuItem> separatorItem();

    bool isSeparatorItem() const { return separator_; }
    bool isEnabled() const { return enabled_ && !separator_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string keyEquivalent) { keyEquivalent_ = std::move(keyEquivalent); }
    // Command by default, as on the platform.
    ModifierFlags keyEquivalentModifierMask() const { return modifierMask_; }
    void setKeyEquivalentModifierMask(ModifierFlags mask) { modifierMask_ = mask; }
    bool allowsAutomaticKeyEquivalentLocalization() const { return automaticLocalization_; }
    void setAllowsAutomaticKeyEquivalentLocalization(bool allows) { automaticLocalization_ = allows; }

    const std::shared_ptr<Menu>& submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<Menu> submenu) { submenu_ = std::move(submenu); }
    bool hasSubmenu() const { return submenu_ != nullptr; }

    void setAction(std::function<void()> action) { action_ = std::move(action); }
    // Runs the action; false when the item has none or is not enabled.
    bool performAction() const;

private:
    bool separator_ = false;
    bool enabled_ = true;
    std::string title_;
    std::string keyEquivalent_;
    ModifierFlags modifierMask_{ModifierFlags::command};
    bool automaticLocalization_ = true;
    std::shared_ptr<Menu> submenu_;
    std::function<void()> action_;
};

// A key equivalent in lower case, as menus compare them (an upper-case one means shift).
std::string lowercasedKeyEquivalent(const std::string& keyEquivalent);

}  // namespace appkit
