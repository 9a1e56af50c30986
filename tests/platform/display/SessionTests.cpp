#include "platform/appkit/Application.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/display/HeadlessDisplay.hpp"

#include <gtest/gtest.h>

TEST(Session, LeavingTheFrontTakesKeyStatusAndHidesPanelsUntilTheApplicationReturns) {
    display::HeadlessDisplay screen;
    auto window = appkit::Window::make(appkit::Rect(0, 0, 300, 200), appkit::WindowStyleMask::titled);
    auto hiding = appkit::Window::make<appkit::Panel>(appkit::Rect(0, 0, 100, 100), appkit::WindowStyleMask::titled);
    hiding->orderFront();
    window->makeKeyAndOrderFront();

    screen.setFrontmostApplication("com.example.editor");
    EXPECT_FALSE(appkit::Application::shared()->isActive());
    EXPECT_FALSE(window->isKeyWindow() || hiding->isVisible());
    appkit::Application::shared()->activate();
    EXPECT_EQ(screen.frontmostApplication(), display::HeadlessDisplay::ownApplication);
    EXPECT_TRUE(window->isKeyWindow() && hiding->isVisible());
}
