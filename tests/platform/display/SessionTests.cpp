#include "platform/appkit/Application.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/NotificationCenter.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using appkit::Rect;

class Session : public ::testing::Test {
protected:
    void TearDown() override { appkit::Application::resetForTesting(); }

    std::vector<appkit::EventPtr> queued() {
        std::vector<appkit::EventPtr> events;
        while (auto event = appkit::Application::shared()->nextEvent(appkit::NSEventMaskAny, std::nullopt, "", true))
            events.push_back(event);
        return events;
    }

    display::HeadlessDisplay screen;
};

TEST_F(Session, LeavingTheFrontTakesKeyStatusAndHidesPanelsUntilTheApplicationReturns) {
    std::vector<std::string> notes;
    auto center = foundation::NotificationCenter::defaultCenter();
    auto resign = center->addObserver(appkit::NSApplicationDidResignActiveNotification, nullptr, nullptr,
                                      [&](const foundation::Notification&) { notes.push_back("resign"); });
    auto become = center->addObserver(appkit::NSApplicationDidBecomeActiveNotification, nullptr, nullptr,
                                      [&](const foundation::Notification&) { notes.push_back("become"); });
    auto window = appkit::Window::create(Rect(0, 0, 300, 200), appkit::WindowStyleMask::titled);
    auto hiding = appkit::Window::make<appkit::Panel>(Rect(0, 0, 100, 100), appkit::WindowStyleMask::titled);
    auto staying = appkit::Window::make<appkit::Panel>(Rect(0, 0, 100, 100), appkit::WindowStyleMask::titled);
    staying->setHidesOnDeactivate(false);
    hiding->orderFront();
    staying->orderFront();
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(appkit::Application::shared()->isActive());

    screen.setFrontmostApplication("com.example.editor");
    EXPECT_EQ(screen.frontmostApplication(), "com.example.editor");
    EXPECT_FALSE(appkit::Application::shared()->isActive());
    EXPECT_FALSE(window->isKeyWindow());
    EXPECT_FALSE(hiding->isVisible());
    EXPECT_TRUE(staying->isVisible());

    appkit::Application::shared()->activate();
    EXPECT_EQ(screen.frontmostApplication(), display::HeadlessDisplay::ownApplication);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_TRUE(hiding->isVisible());
    EXPECT_EQ(notes, (std::vector<std::string>{"resign", "become"}));

    // An application that quit leaves the front empty and can no longer be activated.
    auto editor = appkit::RunningApplication::withBundleIdentifier("com.example.editor");
    editor->activate();
    editor->terminate();
    EXPECT_EQ(screen.frontmostApplication(), "");
    EXPECT_FALSE(editor->activate());
}

TEST_F(Session, AClickOnTheScreenReachesTheFrontmostWindowUnderItInItsCoordinates) {
    auto below = appkit::Window::create(Rect(0, 0, 1440, 900), appkit::WindowStyleMask::borderless);
    auto above = appkit::Window::create(Rect(100, 200, 300, 100), appkit::WindowStyleMask::borderless);
    above->setLevel(appkit::WindowLevel::floating);
    above->orderFront();
    below->orderFront();  // a lower level stays behind however late it is ordered

    EXPECT_TRUE(screen.clickOnScreen({150, 250}, display::HeadlessDisplay::MouseButton::right));
    EXPECT_TRUE(screen.clickOnScreen({50, 50}));
    below->orderOut();
    EXPECT_FALSE(screen.clickOnScreen({50, 50}));
    auto events = queued();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0]->type(), appkit::EventType::rightMouseDown);
    EXPECT_EQ(events[0]->windowNumber(), above->windowNumber());
    EXPECT_EQ(events[0]->locationInWindow(), (appkit::Point{50, 50}));
    EXPECT_EQ(events[2]->type(), appkit::EventType::leftMouseDown);
    EXPECT_EQ(events[2]->windowNumber(), below->windowNumber());
}

}  // namespace
