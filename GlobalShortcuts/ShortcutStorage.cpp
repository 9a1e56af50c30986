#include "GlobalShortcuts/ShortcutStorage.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <cstring>

namespace GlobalShortcuts {

namespace {

std::shared_ptr<foundation::UserDefaults> store() { return foundation::UserDefaults::standardUserDefaults(); }

}  // namespace

std::string userDefaultsKey(const Name& name) { return userDefaultsKeyPrefix + name.rawValue(); }

std::optional<Shortcut> getShortcut(const Name& name) {
    dispatch::checkMainThread();
    auto text = store()->stringForKey(userDefaultsKey(name));
    if (!text) return std::nullopt;
    return Shortcut::decodeJSON(*text).value();
}

void userDefaultsSet(const Shortcut& shortcut, const Name& name) {
    auto encoded = shortcut.encodeJSON();
    if (auto old = getShortcut(name)) unregisterShortcut(*old);
    registerShortcut(shortcut);
    store()->setObject(foundation::String::make(std::move(encoded)), userDefaultsKey(name));
    postShortcutByNameDidChange(name);
}

void setShortcut(std::optional<Shortcut> shortcut, const Name& name) {
    dispatch::checkMainThread();
    if (shortcut) {
        userDefaultsSet(*shortcut, name);
        return;
    }
    auto old = getShortcut(name);
    if (!old) return;
    if (name.defaultShortcut())
        store()->setBool(false, userDefaultsKey(name));
    else
        store()->removeObjectForKey(userDefaultsKey(name));
    unregisterShortcut(*old);
    postShortcutByNameDidChange(name);
}

void reset(const std::vector<Name>& names) {
    dispatch::checkMainThread();
    for (const auto& name : names) {
        if (name.defaultShortcut()) {
            userDefaultsSet(*name.defaultShortcut(), name);
            continue;
        }
        auto old = getShortcut(name);
        if (!old) continue;
        store()->removeObjectForKey(userDefaultsKey(name));
        unregisterShortcut(*old);
        postShortcutByNameDidChange(name);
    }
}

std::unordered_set<Name> allNames() {
    std::unordered_set<Name> names;
    auto everything = store()->dictionaryRepresentation();
    if (!everything) return names;
    const auto prefixLength = std::strlen(userDefaultsKeyPrefix);
    for (const auto& key : everything->allKeys())
        if (key.compare(0, prefixLength, userDefaultsKeyPrefix) == 0) names.insert(Name(key.substr(prefixLength)));
    return names;
}

void resetAll() {
    dispatch::checkMainThread();
    auto names = allNames();
    reset(std::vector<Name>(names.begin(), names.end()));
}

bool userDefaultsContains(const Name& name) { return store()->objectForKey(userDefaultsKey(name)) != nullptr; }

void postShortcutByNameDidChange(const Name& name) {
    auto userInfo = foundation::Dictionary::make();
    userInfo->setObject(std::make_shared<objc::Box<Name>>(name), "name");
    foundation::NotificationCenter::defaultCenter()->post(shortcutByNameDidChange, nullptr, userInfo);
}

bool announcesChange(const foundation::Notification& notification, const Name& name) {
    if (!notification.userInfo) return false;
    auto changed = objc::as<objc::Box<Name>>(notification.userInfo->objectForKey("name"));
    return changed && changed->value.rawValue() == name.rawValue();
}

}  // namespace GlobalShortcuts
