#include "platform/appkit/Screen.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"

#include <gtest/gtest.h>

TEST(DisplayScreens, TheApplicationSeesTheDisplaysScreensAndTheKeyWindowsOneIsMain) {
    display::HeadlessDisplay display({{0, 0, 1440, 900}, {1440, 0, 1920, 1080}});
    auto screens = appkit::Screen::screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[1]->frame(), appkit::Rect(1440, 0, 1920, 1080));
    EXPECT_EQ(screens[0]->visibleFrame(), appkit::Rect(0, 0, 1440, 876));

    auto window = appkit::Window::make(appkit::Rect(2000, 300, 400, 300), appkit::WindowStyleMask::titled);
    window->makeKeyAndOrderFront();
    EXPECT_EQ(appkit::Screen::mainScreen(), screens[1]);

    display.setScreens({{0, 0, 800, 600}});
    EXPECT_EQ(appkit::Screen::screens().size(), 1u);
    EXPECT_EQ(appkit::Screen::mainScreen()->frame(), appkit::Rect(0, 0, 800, 600));
}
