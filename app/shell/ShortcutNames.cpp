#include "app/shell/ShortcutNames.hpp"

#include "GlobalShortcuts/Key.hpp"

namespace kestrelvault {

const GlobalShortcuts::Name& toggleSearch() {
    static const GlobalShortcuts::Name name(
        "toggleSearch", GlobalShortcuts::Shortcut(GlobalShortcuts::Key::space,
                                                  appkit::ModifierFlags(appkit::ModifierFlags::command |
                                                                        appkit::ModifierFlags::shift)));
    return name;
}

}  // namespace kestrelvault
