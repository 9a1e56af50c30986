#pragma once

#include "platform/appkit/Window.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/x11/X11Connection.hpp"
#include "platform/x11/X11ScreenLayout.hpp"
#include "platform/x11/X11Visuals.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace display {

// How a window of the application stands on the X server. Titled windows are managed:
// the window manager frames and decorates them. Untitled ones (the floating panel) are
// placed and stacked by the application itself, undecorated. A see-through window that
// draws nothing (the overlay that catches outside clicks) is input-only: it takes clicks
// without covering what lies below, with or without a compositing manager.
enum class X11WindowKind { managed, unmanaged, inputOnly };

// One window of the application on the X server: an X window over the content area that
// follows the window's place, title, level and alpha, is mapped while the window is
// visible, and shows the content drawn by the renderer, drawn again when it changed or was
// exposed. Main thread only; destroys its X window when it goes.
class X11Window {
public:
    static X11WindowKind kindOf(const appkit::Window& window);

    X11Window(X11Connection& connection, X11Visuals& visuals, const std::shared_ptr<appkit::Window>& window);
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    xcb_window_t identifier() const { return identifier_; }
    X11WindowKind kind() const { return kind_; }
    std::shared_ptr<appkit::Window> window() const { return window_.lock(); }

    // Brings the X window's place, title, opacity and mapping in line with the window's.
    void place(const X11ScreenLayout& layout);
    // Draws the content when it changed or was exposed (after placing and stacking, so
    // neither exposes what was just drawn).
    void draw();
    void markExposed() { exposed_ = true; }
    // Viewable: mapped, and for a managed window, let through by the window manager.
    bool isViewable() const { return viewable_; }
    void setViewable(bool viewable) { viewable_ = viewable; }
    bool isMapRequested() const { return mapRequested_; }
    // Frames put on the server so far.
    std::uint64_t framesDrawn() const { return framesDrawn_; }

private:
    void create(const appkit::Window& window);
    void setProperties(const appkit::Window& window);
    void setTitle(const std::string& title);
    void setOpacity(double alpha);
    void drawContent(const appkit::Window& window);
    void cutToShape(const render::Canvas& canvas);

    X11Connection& connection_;
    X11Visuals& visuals_;
    std::weak_ptr<appkit::Window> window_;
    X11WindowKind kind_;
    const X11Visual* visual_ = nullptr;
    xcb_window_t identifier_ = XCB_NONE;
    ServerRect placed_;
    std::optional<std::string> title_;
    double alpha_ = 1;
    bool mapRequested_ = false;
    bool viewable_ = false;
    bool exposed_ = false;
    std::unique_ptr<render::Canvas> lastFrame_;
    std::unique_ptr<render::Canvas> spare_;  // the frame before, drawn over next time
    cairo_surface_t* surface_ = nullptr;
    std::uint64_t framesDrawn_ = 0;
};

}  // namespace display
