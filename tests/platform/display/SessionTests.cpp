#include "platform/appkit/Application.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/display/HeadlessDisplay.hpp"

#include <gtest/gtest.h>

TEST(Session, LeavingTheFrontTakesKeyStatusAndHidesPanelsUntilTheApplicationReturns) {
    display::HeadlessDisplay screen;
    auto window = appkit::Window::create(appkit::Rect(0, 0, 300, 200), appkit::WindowStyleMask::titled);
    auto hiding = appkit::Window::make<appkit::Panel>(appkit::Rect(0, 0, 100, 100), appkit::WindowStyleMask::titled);
    auto staying = appkit::Window::make<appkit::Panel>(appkit::Rect(0, 0, 100, 100), appkit::WindowStyleMask::titled);
    staying->setHidesOnDeactivate(false);
    hiding->orderFront();
    staying->orderFront();
    window->makeKeyAndOrderFront();

    screen.setFrontmostApplication("com.example.editor");
    EXPECT_FALSE(appkit::Application::shared()->isActive());
    EXPECT_FALSE(window->isKeyWindow() || hiding->isVisible());
    EXPECT_TRUE(staying->isVisible());
    appkit::Application::shared()->activate();
    EXPECT_EQ(screen.frontmostApplication(), display::HeadlessDisplay::ownApplication);
    EXPECT_TRUE(window->isKeyWindow() && hiding->isVisible());

    // An application that quit leaves the front empty and can no longer be activated.
    auto editor = appkit::RunningApplication::withBundleIdentifier("com.example.editor");
    editor->activate();
    editor->terminate();
    EXPECT_EQ(screen.frontmostApplication(), "");
    EXPECT_FALSE(editor->activate());
    appkit::Application::resetForTesting();
}
