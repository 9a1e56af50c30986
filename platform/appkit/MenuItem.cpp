#include "platform/appkit/MenuItem.hpp"

namespace appkit {

MenuItem::MenuItem(std::string title, std::function<void()> action, std::string keyEquivalent)
    : title_(std::move(title)), keyEquivalent_(std::move(keyEquivalent)), action_(std::move(action)) {}

std::shared_ptr<MenuItem> MenuItem::make(std::string title, std::function<void()> action, std::string keyEquivalent) {
    return std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
}

bool MenuItem::performAction() const {
    if (!action_) return false;
    auto action = action_;  // the action may replace itself
    action();
    return true;
}

}  // namespace appkit
