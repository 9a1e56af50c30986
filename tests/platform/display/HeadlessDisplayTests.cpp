#include "platform/appkit/Application.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "tests/support/PlatformSettings.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using appkit::EventPtr;
using appkit::ModifierFlags;

class HeadlessDisplayInput : public ::testing::Test {
protected:
    // Registers shift+cmd+space under id 3 and records the hot-key events that reach the
    // process, with their ids.
    carbon::EventHotKeyRef registerShiftCommandSpace() {
        carbon::EventHotKeyRef hotKey;
        carbon::RegisterEventHotKey(49, carbon::cmdKey | carbon::shiftKey, {7, 3}, carbon::GetEventDispatcherTarget(),
                                    0, &hotKey);
        const carbon::EventTypeSpec types[] = {{carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed},
                                               {carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
        carbon::InstallEventHandler(
            carbon::GetEventDispatcherTarget(),
            [this](carbon::EventHandlerCallRef, const carbon::EventRef& event, void*) {
                carbon::EventHotKeyID identifier;
                carbon::GetEventParameter(event, carbon::kEventParamDirectObject, carbon::typeEventHotKeyID, nullptr,
                                          sizeof identifier, nullptr, &identifier);
                EXPECT_EQ(identifier.id, 3u);
                hotKeyEvents.push_back(carbon::GetEventKind(event));
                return carbon::noErr;
            },
            types, nullptr, nullptr);
        return hotKey;
    }

    std::vector<EventPtr> queued() {
        std::vector<EventPtr> events;
        while (auto event = appkit::Application::shared()->nextEvent(appkit::NSEventMaskAny, std::nullopt, "", true))
            events.push_back(event);
        return events;
    }

    testsupport::TemporaryHome home;
    display::HeadlessDisplay screen;
    std::vector<carbon::UInt32> hotKeyEvents;
};

TEST_F(HeadlessDisplayInput, KeysReachTheApplicationWithTheLayoutsCharacters) {
    testsupport::writePlatformSettings("<key>KVKeyboardLayout</key><string>com.apple.keylayout.German</string>");
    screen.pressKeys("shift+z");  // the German layout has Y there
    screen.keyDown("f5");
    screen.keyDown("up");
    auto events = queued();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0]->type(), appkit::EventType::keyDown);
    EXPECT_EQ(events[0]->keyCode(), 6);
    EXPECT_EQ(*events[0]->characters(), "Y");
    EXPECT_EQ(events[0]->modifierFlags(), ModifierFlags(ModifierFlags::shift));
    ASSERT_TRUE(events[0]->eventRef());
    EXPECT_EQ(carbon::GetEventKind(events[0]->eventRef()), carbon::kEventRawKeyDown);
    EXPECT_EQ(events[1]->type(), appkit::EventType::keyUp);
    EXPECT_EQ(carbon::GetEventKind(events[1]->eventRef()), carbon::kEventRawKeyUp);
    EXPECT_EQ(events[2]->specialKey(), appkit::functionKey(5));
    EXPECT_TRUE(events[2]->modifierFlags().contains(ModifierFlags::function));
    EXPECT_EQ(events[3]->specialKey(), appkit::SpecialKey::upArrow);
    EXPECT_TRUE(events[3]->modifierFlags().contains(ModifierFlags::function | ModifierFlags::numericPad));
}

TEST_F(HeadlessDisplayInput, EachModifierPressedGivesItsOwnFlag) {
    struct Case {
        const char* keys;
        std::uint64_t flags;
    };
    const Case cases[] = {
        {"ctrl+a", ModifierFlags::control},
        {"opt+a", ModifierFlags::option},
        {"alt+a", ModifierFlags::option},
        {"cmd+a", ModifierFlags::command},
        {"shift+a", ModifierFlags::shift},
        {"ctrl+opt+a", ModifierFlags::control | ModifierFlags::option},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.keys);
        screen.pressKeys(testCase.keys);
        auto events = queued();
        ASSERT_EQ(events.size(), 2u);
        for (const auto& event : events) EXPECT_EQ(event->modifierFlags(), ModifierFlags(testCase.flags));
    }
}

TEST_F(HeadlessDisplayInput, HotKeyIsPressedOnDownAndReleasedOnUpEvenAfterTheModifiers) {
    registerShiftCommandSpace();
    screen.setFrontmostApplication("com.example.editor");
    screen.keyDown("shift+cmd+space");
    screen.keyUp("space");
    EXPECT_EQ(hotKeyEvents, (std::vector<carbon::UInt32>{carbon::kEventHotKeyPressed, carbon::kEventHotKeyReleased}));
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(screen.keysDeliveredToOtherApplications().empty());
}

TEST_F(HeadlessDisplayInput, CapsLockDoesNotKeepAHotKeyFromFiring) {
    registerShiftCommandSpace();
    screen.pressKeys("capslock+shift+cmd+space");
    screen.pressKeys("capslock+opt+shift+cmd+space");  // another combination all the same
    EXPECT_EQ(hotKeyEvents, (std::vector<carbon::UInt32>{carbon::kEventHotKeyPressed, carbon::kEventHotKeyReleased}));
    EXPECT_EQ(queued().size(), 2u);
}

TEST_F(HeadlessDisplayInput, KeyUpOfAHotKeyUnregisteredWhileHeldTakesTheOrdinaryWay) {
    auto hotKey = registerShiftCommandSpace();
    screen.keyDown("shift+cmd+space");
    carbon::UnregisterEventHotKey(hotKey);
    screen.keyUp("shift+cmd+space");
    EXPECT_EQ(hotKeyEvents, std::vector<carbon::UInt32>{carbon::kEventHotKeyPressed});
    auto events = queued();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]->type(), appkit::EventType::keyUp);
    EXPECT_EQ(events[0]->keyCode(), 49);
}

TEST_F(HeadlessDisplayInput, RawKeyHandledByCarbonNeverReachesTheQueue) {
    const carbon::EventTypeSpec rawDown{carbon::kEventClassKeyboard, carbon::kEventRawKeyDown};
    carbon::InstallEventHandler(
        carbon::GetEventDispatcherTarget(),
        [](carbon::EventHandlerCallRef, const carbon::EventRef&, void*) { return carbon::noErr; },
        std::span<const carbon::EventTypeSpec>(&rawDown, 1), nullptr, nullptr);
    screen.pressKeys("a");
    auto events = queued();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]->type(), appkit::EventType::keyUp);
    EXPECT_THROW(screen.pressKeys("hyper+a"), std::invalid_argument);
}

TEST_F(HeadlessDisplayInput, OtherApplicationsGetKeysAndClicksWhileInFront) {
    screen.setFrontmostApplication("com.example.editor");
    screen.pressKeys("cmd+k");
    screen.click({10, 10});
    EXPECT_TRUE(queued().empty());
    EXPECT_EQ(screen.keysDeliveredToOtherApplications(), std::vector<std::string>{"com.example.editor: 40"});
    screen.setFrontmostApplication(display::HeadlessDisplay::ownApplication);
    screen.click({10, 10});
    auto events = queued();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1]->type(), appkit::EventType::leftMouseUp);
    EXPECT_EQ(events[1]->locationInWindow(), (appkit::Point{10, 10}));
}

// As on the platform (and the X11 display), a click on a window makes it key first when it
// can be: a recorder clicked in another window then records there, and the first stops.
TEST_F(HeadlessDisplayInput, AClickMakesAWindowThatCanBeKeyTheKeyWindow) {
    auto first = appkit::Window::make(appkit::Rect(0, 0, 100, 100), appkit::WindowStyleMask::titled);
    auto second = appkit::Window::make(appkit::Rect(200, 0, 100, 100), appkit::WindowStyleMask::titled);
    auto overlay = appkit::Window::make(appkit::Rect(400, 0, 100, 100), appkit::WindowStyleMask::borderless);
    for (const auto& window : {overlay, second, first}) window->makeKeyAndOrderFront();
    ASSERT_TRUE(screen.clickOnScreen({250, 50}, display::HeadlessDisplay::MouseButton::right));
    EXPECT_TRUE(second->isKeyWindow());
    ASSERT_TRUE(screen.clickOnScreen({450, 50}));
    EXPECT_TRUE(second->isKeyWindow());
}

}  // namespace
