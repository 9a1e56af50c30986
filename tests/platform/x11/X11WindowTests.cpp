#include "platform/appkit/Panel.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/ui/HostingView.hpp"
#include "tests/platform/x11/X11DisplayFixture.hpp"

#include <xcb/randr.h>

#include <filesystem>

namespace {

using appkit::Rect;

struct ServerAttributes {
    bool overrideRedirect;
    std::uint16_t windowClass;
};

ServerAttributes attributesOf(display::X11Display& display, xcb_window_t window) {
    auto* connection = display.connection().get();
    display::XReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply ? ServerAttributes{reply->override_redirect != 0, reply->_class} : ServerAttributes{false, 0};
}

}  // namespace

TEST_F(X11DisplayTest, WindowsAreDrawnWhereTheApplicationPutsThemAndThePanelFloatsUndecoratedAboveTheRest) {
    // A decorated window, a see-through floating panel with rounded corners over part of it,
    // and a nearly invisible overlay over the whole screen, as the search panel shows them.
    auto settings = appkit::Window::make(Rect(100, 300, 400, 300), appkit::WindowStyleMask::titled);
    settings->setTitle("Settings");
    settings->setContentView(ui::HostingView::make(
        ui::ZStack({ui::Rectangle().fill(appkit::Color::rgba(0.9, 0.2, 0.2)), ui::Text("Settings")})));
    auto panel = appkit::Window::make<appkit::Panel>(Rect(300, 350, 400, 200),
                                                     appkit::WindowStyleMask::nonactivatingPanel |
                                                         appkit::WindowStyleMask::fullSizeContentView);
    panel->setFloatingPanel(true);
    panel->setOpaque(false);
    panel->setBackgroundColor(appkit::Color::rgba(0, 0, 0, 0));
    panel->setContentView(ui::HostingView::make(ui::RoundedRectangle(24).fill(appkit::Color::rgba(0.1, 0.6, 0.6))));
    auto overlay = appkit::Window::make(Rect(0, 0, 1280, 800), appkit::WindowStyleMask::borderless);
    overlay->setOpaque(false);
    overlay->setBackgroundColor(appkit::Color::white(0, 0.001));
    overlay->setLevel(2);

    settings->makeKeyAndOrderFront();
    overlay->orderFront();
    panel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return display->framesDrawn(*settings) > 0 && display->framesDrawn(*panel) > 0; }));

    auto screen = display->screenshot();
    ASSERT_TRUE(screen);
    std::filesystem::path pictures = std::filesystem::path(KV_BINARY_DIR) / "pictures";
    std::filesystem::create_directories(pictures);
    EXPECT_TRUE(render::writePNG(*screen, pictures / "x11-windows.png"));

    // Screen coordinates grow up from the bottom of the 800-pixel screen.
    auto at = [&](double x, double y) { return screen->pixel(int(x), int(800 - y)); };
    EXPECT_TRUE(near(at(150, 400), 0xE63333FF)) << std::hex << at(150, 400);  // the window, through the overlay
    EXPECT_TRUE(near(at(450, 450), 0x1A9999FF)) << std::hex << at(450, 450);  // the panel, above the window
    EXPECT_TRUE(near(at(301, 549), 0xE63333FF)) << std::hex << at(301, 549);  // the window past the panel's corner
    EXPECT_TRUE(near(at(1000, 100), 0x000000FF)) << std::hex << at(1000, 100);  // the empty screen

    auto panelAttributes = attributesOf(*display, display->serverWindow(*panel));
    auto overlayAttributes = attributesOf(*display, display->serverWindow(*overlay));
    auto settingsAttributes = attributesOf(*display, display->serverWindow(*settings));
    EXPECT_TRUE(panelAttributes.overrideRedirect);
    EXPECT_EQ(panelAttributes.windowClass, XCB_WINDOW_CLASS_INPUT_OUTPUT);
    EXPECT_TRUE(overlayAttributes.overrideRedirect);
    EXPECT_EQ(overlayAttributes.windowClass, XCB_WINDOW_CLASS_INPUT_ONLY);
    EXPECT_FALSE(settingsAttributes.overrideRedirect);

    // Ordered out, the panel leaves the window whole.
    panel->orderOut();
    ASSERT_TRUE(runUntil([&] { return near(display->screenshot()->pixel(450, 800 - 450), 0xE63333FF); }));
}

// A window's frames are drawn on canvases kept from earlier frames: nothing of an earlier
// frame may show through a later one (a see-through window shows what lies below instead).
TEST_F(X11DisplayTest, AFrameShowsNothingOfTheFramesDrawnBeforeIt) {
    auto panel = appkit::Window::make(Rect(100, 100, 200, 100), appkit::WindowStyleMask::borderless);
    panel->setOpaque(false);
    panel->setBackgroundColor(appkit::Color::rgba(0, 0, 0, 0));
    auto bar = [](double width) {
        return ui::HStack({ui::Rectangle().fill(appkit::Color::rgba(0.9, 0.2, 0.2)).frame(width, 100.0), ui::Spacer(0.0)},
                          ui::VerticalAlignment::center, 0.0);
    };
    auto content = ui::HostingView::make(bar(200));
    panel->setContentView(content);
    panel->orderFront();
    ASSERT_TRUE(runUntil([&] { return display->framesDrawn(*panel) > 0; }));
    for (double width : {100.0, 50.0}) {
        auto before = display->framesDrawn(*panel);
        content->host()->setRoot(bar(width));
        ASSERT_TRUE(runUntil([&] { return display->framesDrawn(*panel) > before; })) << width;
    }
    auto screen = display->screenshot();
    auto at = [&](double x) { return screen->pixel(int(x), 800 - 150); };
    EXPECT_TRUE(near(at(125), 0xE63333FF)) << std::hex << at(125);
    EXPECT_TRUE(near(at(175), 0x000000FF)) << std::hex << at(175);
    EXPECT_TRUE(near(at(250), 0x000000FF)) << std::hex << at(250);
}

// With every output of the server switched off, RandR lists no monitor: the screen is then
// the root window at the size it has now, not the one it had when the application connected.
TEST_F(X11DisplayTest, TheScreenFollowsTheRootWindowWhenNoMonitorIsListed) {
    int screenNumber = 0;
    xcb_connection_t* other = xcb_connect(server.name().c_str(), &screenNumber);
    ASSERT_FALSE(xcb_connection_has_error(other));
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    display::XReply<xcb_randr_get_screen_resources_current_reply_t> resources(xcb_randr_get_screen_resources_current_reply(
        other, xcb_randr_get_screen_resources_current(other, root), nullptr));
    ASSERT_TRUE(resources);
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    for (int index = 0; index < resources->num_crtcs; ++index)
        display::XReply<xcb_randr_set_crtc_config_reply_t>(xcb_randr_set_crtc_config_reply(
            other,
            xcb_randr_set_crtc_config(other, crtcs[index], XCB_CURRENT_TIME, resources->config_timestamp, 0, 0,
                                      XCB_NONE, XCB_RANDR_ROTATION_ROTATE_0, 0, nullptr),
            nullptr));
    ASSERT_EQ(xcb_request_check(other, xcb_randr_set_screen_size_checked(other, root, 1024, 700, 271, 185)), nullptr);
    xcb_disconnect(other);

    EXPECT_TRUE(runUntil([] {
        auto screens = appkit::Screen::screens();
        return screens.size() == 1 && screens[0]->frame() == Rect(0, 0, 1024, 700);
    })) << appkit::Screen::screens().front()->frame().width();
}
