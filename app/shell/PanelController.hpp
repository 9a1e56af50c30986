#pragma once

#include "app/shell/FloatingPanel.hpp"
#include "app/shell/SearchViewModel.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/NotificationCenter.hpp"

#include <cstdint>
#include <memory>
#include <optional>

namespace ui {
class HostingView;
}

namespace kestrelvault {

// Owns the floating search panel: shows it over the application in front (fading and
// scaling in), places it on the main screen, lays a nearly invisible overlay over every
// screen whose clicks hide it, remembers the application that was in front so focus can go
// back to it, and reloads the bookmarks at every showing. Hides it (fading out) on request
// and when it loses key status. Main thread only; made once by the application delegate
// and kept for the process. The panel's observers, monitor and animations hold it weakly;
// the reload of a showing holds it until the reload ends.
class PanelController : public std::enable_shared_from_this<PanelController> {
public:
    static std::shared_ptr<PanelController> make(std::shared_ptr<SearchViewModel> viewModel);
    ~PanelController();
    PanelController(const PanelController&) = delete;
    PanelController& operator=(const PanelController&) = delete;

    enum class FocusRestoration { none, previousApplication };

    void show();
    // Nothing when hidden already; with previousApplication the application that was in
    // front at the showing is activated again.
    void hide(FocusRestoration restoreFocus);

    // The identifier of the Settings window, which a showing closes.
    static constexpr const char* settingsWindowIdentifier = "com_apple_SwiftUI_Settings_window";
    static constexpr double panelWidth = 680;
    static constexpr double initialPanelHeight = 60;

    std::shared_ptr<FloatingPanel> panel;
    std::shared_ptr<SearchViewModel> viewModel;
    // Screen y of the panel's top edge since the last positioning; the panel view keeps the
    // top edge there when it changes the height.
    std::optional<double> panelTopY;
    std::shared_ptr<appkit::RunningApplication> previousApp;
    bool isShowing = false;
    std::shared_ptr<appkit::Window> overlayWindow;
    objc::Id overlayClickMonitor;
    // How many showings there were: what finishes later (an opening) hides only its own.
    std::uint64_t showings() const { return showings_; }

    explicit PanelController(std::shared_ptr<SearchViewModel> viewModel);

private:
    void createPanel();
    void positionPanel();
    void installOverlay();
    void removeOverlay();
    void animateIn();
    void animateOut();
    appkit::EventPtr overlayClickHandler(const appkit::EventPtr& event);

    std::uint64_t showings_ = 0;
    std::shared_ptr<ui::HostingView> content_;
    std::unique_ptr<foundation::NotificationToken> resignKeyObserver_;
};

}  // namespace kestrelvault
