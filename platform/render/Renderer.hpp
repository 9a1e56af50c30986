#pragma once

#include "platform/appkit/View.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/ui/LayoutNode.hpp"

#include <memory>

namespace render {

// Draws what is on screen: laid-out declarative trees, AppKit views (text and search
// fields, buttons, images, visual-effect views, hosting views) and whole windows, into canvases
// one pixel per point. Colours by role resolve for the tree's colour scheme or the
// system's appearance. Main thread only; stateless.
class Renderer {
public:
    // A laid-out tree at its frames (the canvas origin is the tree's origin).
    static void drawTree(Canvas& canvas, const ui::LayoutNode& node);
    // A view and its subviews; the rectangle is the view's place on the canvas.
    static void drawView(Canvas& canvas, const appkit::View& view, const appkit::Rect& rect, appkit::Appearance appearance);
    // The window as it looks on screen (title bar included), at its alpha value.
    static std::shared_ptr<appkit::Image> snapshot(const appkit::Window& window);
    // The window's content area alone (background and content view), fully opaque where
    // drawn: what a display puts inside its own window frame.
    static void drawContent(Canvas& canvas, const appkit::Window& window, appkit::Appearance appearance);
    // The visible windows of the application on the screen, back to front, over black.
    static std::shared_ptr<appkit::Image> screenshot(const appkit::Rect& screenFrame);
    // A declarative tree laid out in a size and drawn alone (for previews and tests).
    static std::shared_ptr<appkit::Image> renderNode(const ui::Node& root, appkit::Size size,
                                                     ui::EnvironmentValues environment = {});
};

}  // namespace render
