#include "platform/appkit/MenuItem.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace appkit {

MenuItem::MenuItem(std::string title, std::function<void()> action, std::string keyEquivalent)
    : title_(std::move(title)), keyEquivalent_(std::move(keyEquivalent)), action_(std::move(action)) {}

std::shared_ptr<MenuItem> MenuItem::make(std::string title, std::function<void()> action, std::string keyEquivalent) {
    return std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
}

std::shared_ptr<MenuItem> MenuItem::separatorItem() {
    auto item = make("");
    item->separator_ = true;
    return item;
}

bool MenuItem::performAction() const {
    dispatch::checkMainThread();
    if (!action_ || !isEnabled()) return false;
    auto action = action_;  // the action may replace itself
    action();
    return true;
}

std::string lowercasedKeyEquivalent(const std::string& keyEquivalent) {
    std::string result;
    icu::UnicodeString::fromUTF8(keyEquivalent).toLower(icu::Locale::getRoot()).toUTF8String(result);
    return result;
}

}  // namespace appkit
