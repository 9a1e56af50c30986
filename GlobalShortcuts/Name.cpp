#include "GlobalShortcuts/Name.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"

namespace GlobalShortcuts {

Name::Name(std::string rawValue, std::optional<Shortcut> defaultShortcut)
    : rawValue_(std::move(rawValue)), defaultShortcut_(std::move(defaultShortcut)) {
    if (defaultShortcut_ && !userDefaultsContains(*this)) userDefaultsSet(*defaultShortcut_, *this);
    startObservingMenuTracking();
}

std::optional<Shortcut> Name::shortcut() const { return getShortcut(*this); }

void Name::setShortcut(std::optional<Shortcut> shortcut) const { GlobalShortcuts::setShortcut(std::move(shortcut), *this); }

}  // namespace GlobalShortcuts
