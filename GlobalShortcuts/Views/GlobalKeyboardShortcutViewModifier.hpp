#pragma once

#include "GlobalShortcuts/Name.hpp"
#include "platform/ui/View.hpp"

namespace GlobalShortcuts {

// Gives the content the keyboard shortcut stored for the Name, read afresh whenever the
// Name's shortcut changes, and none while any recorder records. State lives as long as the
// view's identity; the notification subscriptions as long as the view. Main thread only.
class GlobalKeyboardShortcutViewModifier final : public ui::View {
public:
    GlobalKeyboardShortcutViewModifier(ui::Node content, Name name);

    ui::Node body() override;

private:
    ui::Node content_;
    ui::State<bool> isRecorderActive_{this, false};
    // The content's identity: toggled to have it rebuilt with the shortcut read again.
    ui::State<bool> triggerRefresh_{this, false};
    Name name_;
};

// The content with the Name's global shortcut as its keyboard shortcut.
ui::Node globalKeyboardShortcut(ui::Node content, const Name& name);

}  // namespace GlobalShortcuts
