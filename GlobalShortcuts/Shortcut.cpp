#include "GlobalShortcuts/Shortcut.hpp"

#include "GlobalShortcuts/ModifierFlagsConversion.hpp"
#include "platform/foundation/ProcessInfo.hpp"

#include <mutex>

namespace GlobalShortcuts {

Shortcut::Shortcut(std::int64_t carbonKeyCode, std::int64_t carbonModifiers)
    : carbonKeyCode(carbonKeyCode),
      carbonModifiers(GlobalShortcuts::carbonModifiers(modifierFlagsFromCarbon(carbonModifiers))) {}

Shortcut::Shortcut(Key key, appkit::ModifierFlags modifiers)
    : Shortcut(key.rawValue, GlobalShortcuts::carbonModifiers(modifiers)) {}

Shortcut::Shortcut(Unnormalised, std::int64_t carbonKeyCode, std::int64_t carbonModifiers)
    : carbonKeyCode(carbonKeyCode), carbonModifiers(carbonModifiers) {}

std::optional<Shortcut> Shortcut::fromEvent(const appkit::Event& event) {
    if (!event.isKeyEvent()) return std::nullopt;
    auto flags = event.modifierFlags().subtracting(appkit::ModifierFlags::function);
    return Shortcut(event.keyCode(), GlobalShortcuts::carbonModifiers(flags));
}

appkit::ModifierFlags Shortcut::modifiers() const { return modifierFlagsFromCarbon(carbonModifiers); }

bool Shortcut::isSandboxed() {
    static std::once_flag once;
    static bool sandboxed = false;
    std::call_once(once, [] { sandboxed = foundation::ProcessInfo::environment().count("APP_SANDBOX_CONTAINER_ID") > 0; });
    return sandboxed;
}

}  // namespace GlobalShortcuts
