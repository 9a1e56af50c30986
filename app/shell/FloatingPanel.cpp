#include "app/shell/FloatingPanel.hpp"

namespace kestrelvault {

// The backing store and deferral are the window server's business; there is one kind here.
FloatingPanel::FloatingPanel(appkit::Rect contentRect, std::uint64_t, BackingStoreType, bool)
    : appkit::Panel(contentRect, styleMask) {
    setFloatingPanel(true);
    setLevel(appkit::WindowLevel::floating);
    setTitleVisibility(appkit::WindowTitleVisibility::hidden);
    setTitlebarAppearsTransparent(true);
    setMovableByWindowBackground(false);
    setHidesOnDeactivate(false);
    setOpaque(false);
    setBackgroundColor(appkit::Color::clearColor());
    setHasShadow(true);
    setCollectionBehavior(appkit::WindowCollectionBehavior::canJoinAllSpaces |
                          appkit::WindowCollectionBehavior::fullScreenAuxiliary);
}

}  // namespace kestrelvault
