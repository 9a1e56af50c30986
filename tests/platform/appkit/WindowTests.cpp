#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace appkit;

namespace {

// Records the window notifications as "<name> <title>".
class WindowNotificationLog {
public:
    WindowNotificationLog() {
        for (const char* name : {NSWindowDidBecomeKeyNotification, NSWindowDidResignKeyNotification,
                                 NSWindowWillCloseNotification})
            tokens_.push_back(foundation::NotificationCenter::defaultCenter()->addObserver(
                name, nullptr, nullptr, [this](const foundation::Notification& note) {
                    auto window = std::dynamic_pointer_cast<Window>(note.object);
                    entries.push_back(note.name + " " + (window ? window->title() : "?"));
                }));
    }
    std::vector<std::string> entries;

private:
    std::vector<std::unique_ptr<foundation::NotificationToken>> tokens_;
};

std::shared_ptr<Window> titledWindow(const std::string& title) {
    auto window = Window::make(Rect(0, 0, 200, 100), WindowStyleMask::titled | WindowStyleMask::closable);
    window->setTitle(title);
    return window;
}

class BorderlessWindow : public Window {
public:
    using Window::Window;
};

}  // namespace

TEST(Window, KeyStatusMovesBetweenWindowsWithTheirNotificationsInOrder) {
    WindowNotificationLog log;
    auto first = titledWindow("first");
    auto second = titledWindow("second");
    first->makeKeyAndOrderFront();
    second->makeKeyAndOrderFront();
    EXPECT_TRUE(second->isKeyWindow());
    EXPECT_FALSE(first->isKeyWindow());
    EXPECT_EQ(log.entries, (std::vector<std::string>{"NSWindowDidBecomeKeyNotification first",
                                                     "NSWindowDidResignKeyNotification first",
                                                     "NSWindowDidBecomeKeyNotification second"}));
}

TEST(Window, ClosingTheKeyWindowAnnouncesItAndPassesKeyStatusToTheNextWindow) {
    WindowNotificationLog log;
    auto first = titledWindow("first");
    auto second = titledWindow("second");
    first->makeKeyAndOrderFront();
    second->makeKeyAndOrderFront();
    log.entries.clear();
    second->close();
    EXPECT_FALSE(second->isVisible());
    EXPECT_TRUE(first->isKeyWindow());
    EXPECT_EQ(log.entries, (std::vector<std::string>{"NSWindowWillCloseNotification second",
                                                     "NSWindowDidResignKeyNotification second",
                                                     "NSWindowDidBecomeKeyNotification first"}));
}

TEST(Window, ABorderlessWindowNeverBecomesKeyUnlessItSaysItCan) {
    auto borderless = Window::make<BorderlessWindow>(Rect(0, 0, 50, 50), WindowStyleMask::borderless);
    borderless->makeKeyAndOrderFront();
    EXPECT_TRUE(borderless->isVisible());
    EXPECT_FALSE(borderless->isKeyWindow());
    EXPECT_EQ(WindowList::shared().keyWindow(), nullptr);
}

TEST(Window, ATitledWindowsContentAreaLeavesOutTheTitleBarAndCentresOnTheScreen) {
    Screen::setScreenFrames({Rect(0, 0, 1000, 800)});
    auto window = Window::make(Rect(10, 10, 360, 300), WindowStyleMask::titled);
    EXPECT_EQ(window->frame(), Rect(10, 10, 360, 328));
    EXPECT_EQ(window->contentView()->frame(), Rect(0, 0, 360, 300));
    window->center();
    Rect visible = Screen::mainScreen()->visibleFrame();
    EXPECT_EQ(window->frame().midX(), visible.midX());
    EXPECT_EQ(window->frame().midY(), visible.midY());
    window->setContentSize({200, 100});
    EXPECT_EQ(window->contentView()->frame().size, (Size{200, 100}));
}

TEST(Window, FirstResponderChangesAskTheOldResponderToResign) {
    auto window = titledWindow("w");
    auto field = std::make_shared<TextField>(Rect(0, 0, 100, 22));
    window->contentView()->addSubview(field);
    EXPECT_TRUE(window->makeFirstResponder(field));
    ASSERT_NE(field->currentEditor(), nullptr);
    EXPECT_EQ(window->firstResponder(), field->currentEditor());
    EXPECT_TRUE(window->makeFirstResponder(nullptr));
    EXPECT_EQ(field->currentEditor(), nullptr);
    EXPECT_EQ(window->firstResponder(), window);
}

TEST(Window, ASheetEndsOnceWithItsCodeAndHandsKeyStatusBack) {
    auto parent = titledWindow("parent");
    parent->makeKeyAndOrderFront();
    auto sheet = titledWindow("sheet");
    std::vector<ModalResponse> codes;
    parent->beginSheet(sheet, [&](ModalResponse code) { codes.push_back(code); });
    EXPECT_TRUE(sheet->isKeyWindow());
    EXPECT_EQ(parent->attachedSheet(), sheet);
    parent->endSheet(sheet, 1001);
    parent->endSheet(sheet, 1002);
    EXPECT_EQ(codes, (std::vector<ModalResponse>{1001}));
    EXPECT_TRUE(parent->isKeyWindow());
    EXPECT_FALSE(sheet->isVisible());
}

// As on the platform, a sheet is modal to its window: a click on what the sheet leaves free
// reaches none of the window's views and brings the sheet back to the front; a window
// closed meanwhile does not take key status back when the sheet ends.
TEST(Window, AWindowWithASheetTakesNoClicksAndAClosedOneNoKeyStatusWhenItEnds) {
    auto parent = Window::make(Rect(0, 0, 600, 100), WindowStyleMask::titled);
    auto field = std::make_shared<TextField>(Rect(460, 40, 120, 22));
    parent->contentView()->addSubview(field);
    parent->makeKeyAndOrderFront();
    auto sheet = titledWindow("sheet");
    parent->beginSheet(sheet, nullptr);
    titledWindow("other")->makeKeyAndOrderFront();
    auto click = [&] {
        for (auto type : {EventType::leftMouseDown, EventType::leftMouseUp})
            Application::shared()->sendEvent(Event::mouseEvent(type, {500, 50}, {}, 0, parent->windowNumber(), 1));
    };
    click();
    EXPECT_EQ(field->currentEditor(), nullptr);
    EXPECT_TRUE(sheet->isKeyWindow());
    parent->endSheet(sheet, 1000);
    click();
    EXPECT_NE(field->currentEditor(), nullptr);
    parent->beginSheet(sheet, nullptr);
    parent->close();
    auto front = titledWindow("front");
    front->makeKeyAndOrderFront();
    parent->endSheet(sheet, 1000);
    EXPECT_TRUE(front->isKeyWindow());
}

namespace {

class FloatingPanel : public appkit::Panel {
public:
    using Panel::Panel;
    bool canBecomeKeyWindow() const override { return true; }
};

}  // namespace

TEST(Panel, AFloatingPanelStaysInFrontOfNormalWindowsAndBecomesKeyButNeverMain) {
    auto document = titledWindow("document");
    document->makeKeyAndOrderFront();
    auto panel = Window::make<FloatingPanel>(Rect(0, 0, 600, 68), WindowStyleMask::borderless | WindowStyleMask::nonactivatingPanel);
    panel->setFloatingPanel(true);
    panel->makeKeyAndOrderFront();
    auto later = titledWindow("later");
    later->orderFront();
    EXPECT_EQ(WindowList::shared().orderedWindows().front(), panel);
    EXPECT_TRUE(panel->isFloatingPanel());
    EXPECT_TRUE(panel->isKeyWindow());
    EXPECT_FALSE(panel->isMainWindow());
    EXPECT_TRUE(document->isMainWindow());
}

TEST(Window, KeyEventsReachTheKeyWindowAfterTheApplicationWasReset) {
    WindowList::shared();  // routing set up for the application before the reset
    Application::resetForTesting();
    auto window = titledWindow("after");
    auto field = std::make_shared<TextField>(Rect(10, 10, 150, 22));
    window->contentView()->addSubview(field);
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(field);
    testsupport::typeText("ok");
    EXPECT_EQ(field->stringValue(), "ok");
}
