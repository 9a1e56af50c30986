#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/Key.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace GlobalShortcuts;
using shortcutstest::ShortcutsTest;

const Shortcut toggleDefault(Key::space, appkit::ModifierFlags(appkit::ModifierFlags::command |
                                                               appkit::ModifierFlags::shift));
const Shortcut commandK(40, 0x100);

class Dispatch : public ShortcutsTest {
protected:
    Action log(std::string entry) {
        return [this, entry] { calls.push_back(entry); };
    }
    display::HeadlessDisplay screen;
    std::vector<std::string> calls;
};

TEST_F(Dispatch, KeyUpHandlerRunsOnceOnRelease) {
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyUp(toggleSearch, log("toggle"));
    screen.keyDown("shift+cmd+space");
    EXPECT_TRUE(calls.empty());
    screen.keyUp("shift+cmd+space");
    EXPECT_EQ(calls, std::vector<std::string>{"toggle"});
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});

    screen.pressKeys("cmd+space");  // not the shortcut
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Dispatch, HotKeyWorksWhateverApplicationIsInFront) {
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyDown(toggleSearch, log("down"));
    screen.setFrontmostApplication("com.example.editor");
    screen.pressKeys("shift+cmd+space");
    screen.pressKeys("cmd+k");
    EXPECT_EQ(calls, std::vector<std::string>{"down"});
    EXPECT_EQ(screen.keysDeliveredToOtherApplications(), std::vector<std::string>{"com.example.editor: 40"});
}

TEST_F(Dispatch, HandlersOfOneNameRunInOrderAndEveryNameWithTheShortcutFires) {
    Name first("first", commandK);
    Name second("second");
    second.setShortcut(commandK);  // the store registers it once
    onKeyDown(first, log("first 1"));
    onKeyDown(first, log("first 2"));
    onKeyDown(second, log("second"));
    onKeyDown(Name("first", toggleDefault), log("first 3"));  // the same Name
    screen.pressKeys("cmd+k");
    ASSERT_EQ(calls.size(), 4u);
    std::vector<std::string> firstCalls;
    for (const auto& call : calls)
        if (call.rfind("first", 0) == 0) firstCalls.push_back(call);
    EXPECT_EQ(firstCalls, (std::vector<std::string>{"first 1", "first 2", "first 3"}));
    EXPECT_NE(std::find(calls.begin(), calls.end(), "second"), calls.end());
}

TEST_F(Dispatch, PausedDispatchDropsEventsAndResumesWithoutReregistering) {
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyUp(toggleSearch, log("toggle"));
    setIsPaused(true);
    screen.pressKeys("shift+cmd+space");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    setIsPaused(false);
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, std::vector<std::string>{"toggle"});
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
}

TEST_F(Dispatch, HandlerChangesTakeEffectFromTheNextEvent) {
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyDown(toggleSearch, [&] {
        calls.push_back("first");
        onKeyDown(toggleSearch, log("added"));
    });
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, std::vector<std::string>{"first"});
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "first", "added"}));
}

TEST_F(Dispatch, StoredShortcutIsReadAtEachEvent) {
    Name toggleSearch("toggleSearch", toggleDefault);
    Name other("other", toggleDefault);
    onKeyDown(toggleSearch, log("toggle"));
    onKeyDown(other, log("other"));
    toggleSearch.setShortcut(commandK);  // unregisters ⇧⌘Space although "other" still has it
    screen.pressKeys("shift+cmd+space");
    EXPECT_TRUE(calls.empty());
    screen.pressKeys("cmd+k");
    EXPECT_EQ(calls, std::vector<std::string>{"toggle"});
    enable(other);
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, (std::vector<std::string>{"toggle", "other"}));
}

TEST_F(Dispatch, EnabledSwitchSuspendsAndRestoresEveryHotKeyUnderItsId) {
    Name toggleSearch("toggleSearch", toggleDefault);
    Name search("search", commandK);
    onKeyDown(toggleSearch, log("toggle"));
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
    EXPECT_TRUE(isRegistered(toggleSearch));

    setIsEnabled(false);
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_FALSE(isRegistered(toggleSearch));
    screen.pressKeys("shift+cmd+space");
    EXPECT_TRUE(calls.empty());

    setIsEnabled(true);
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
    setIsEnabled(true);  // no change: nothing happens
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, std::vector<std::string>{"toggle"});
}

TEST_F(Dispatch, DisableAndEnableLeaveTheStoreAlone) {
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyUp(toggleSearch, log("toggle"));
    disable(toggleSearch);
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_FALSE(isRegistered(toggleSearch));
    EXPECT_EQ(toggleSearch.shortcut(), toggleDefault);
    screen.pressKeys("shift+cmd+space");
    EXPECT_TRUE(calls.empty());
    enable(toggleSearch, Name("unstored"));
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{2});
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, std::vector<std::string>{"toggle"});
}

TEST_F(Dispatch, HandlerWithoutStoredShortcutStartsFiringOnceOneIsStored) {
    Name later("later");
    onKeyDown(later, log("later"));
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_FALSE(isRegistered(later));
    later.setShortcut(commandK);
    screen.pressKeys("cmd+k");
    EXPECT_EQ(calls, std::vector<std::string>{"later"});
}

TEST_F(Dispatch, RemovingHandlersKeepsTheHotKeyOnlyWhileAStreamNeedsIt) {
    Name toggleSearch("toggleSearch", toggleDefault);
    Name search("search", commandK);
    onKeyUp(toggleSearch, log("toggle"));
    onKeyUp(search, log("search"));
    std::vector<EventType> streamed;
    auto consumer = std::make_unique<foundation::AsyncStream<EventType>::Consumer>(
        events(toggleSearch).forEach([&](const EventType& type) { streamed.push_back(type); }));
    runUntilIdle();

    removeHandler(toggleSearch);
    EXPECT_TRUE(registeredShortcuts().count(toggleDefault));
    removeAllHandlers();
    EXPECT_EQ(registeredShortcuts(), std::unordered_set<Shortcut>{toggleDefault});
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});

    screen.pressKeys("shift+cmd+space");
    screen.pressKeys("cmd+k");
    runUntilIdle();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(streamed, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));

    consumer.reset();
    runUntilIdle();
    EXPECT_TRUE(registeredShortcuts().empty());
    EXPECT_TRUE(liveHotKeyIds().empty());
}

TEST_F(Dispatch, StreamHearsEventsOnlyAfterItsAdditionRan) {
    Name toggleSearch("toggleSearch", toggleDefault);
    std::vector<EventType> streamed;
    bool ended = false;
    auto consumer = events(toggleSearch).forEach([&](const EventType& type) { streamed.push_back(type); },
                                                 [&] { ended = true; });
    screen.pressKeys("shift+cmd+space");  // dispatched before the addition ran
    runUntilIdle();
    EXPECT_TRUE(streamed.empty());
    screen.keyDown("shift+cmd+space");
    screen.keyDown("shift+cmd+space");  // auto-repeat: every press is buffered
    screen.keyUp("shift+cmd+space");
    runUntilIdle();
    EXPECT_EQ(streamed, (std::vector<EventType>{EventType::keyDown, EventType::keyDown, EventType::keyUp}));
    consumer.cancel();
    runUntilIdle();
    EXPECT_FALSE(ended);
    screen.pressKeys("shift+cmd+space");
    runUntilIdle();
    EXPECT_EQ(streamed.size(), 3u);
}

TEST_F(Dispatch, StreamEndingBeforeItsAdditionLeavesNoContinuation) {
    Name search("search");
    search.setShortcut(commandK);
    removeHandler(search);  // nothing else needs the hot key
    ASSERT_TRUE(liveHotKeyIds().empty());
    {
        auto consumer = events(search).forEach([&](const EventType&) { calls.push_back("streamed"); });
    }  // cancelled at once: addition and removal are both queued, in that order
    runUntilIdle();
    EXPECT_TRUE(streamShortcuts().empty());
    EXPECT_TRUE(registeredShortcuts().empty());
    EXPECT_TRUE(liveHotKeyIds().empty());
    search.setShortcut(commandK);
    screen.pressKeys("cmd+k");
    runUntilIdle();
    EXPECT_TRUE(calls.empty());
}

TEST_F(Dispatch, TypedStreamYieldsOnlyItsType) {
    Name toggleSearch("toggleSearch", toggleDefault);
    std::vector<EventType> ups;
    auto consumer = events(EventType::keyUp, toggleSearch).forEach([&](const EventType& type) { ups.push_back(type); });
    runUntilIdle();
    screen.pressKeys("shift+cmd+space");
    screen.pressKeys("shift+cmd+space");
    runUntilIdle();
    EXPECT_EQ(ups, (std::vector<EventType>{EventType::keyUp, EventType::keyUp}));
    consumer.cancel();
    runUntilIdle();
    EXPECT_TRUE(streamShortcuts().empty());
}

TEST_F(Dispatch, RefusedRegistrationStillCountsAsRegistered) {
    screen.reserveHotKeyForOtherApplication("shift+cmd+space");
    testing::internal::CaptureStdout();
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyUp(toggleSearch, log("toggle"));
    onKeyDown(toggleSearch, log("down"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘Space: -9878\n");
    EXPECT_TRUE(isRegistered(toggleSearch));
    EXPECT_EQ(toggleSearch.shortcut(), toggleDefault);
    screen.pressKeys("shift+cmd+space");
    EXPECT_TRUE(calls.empty());
}

// Menu tracking, on both sides of macOS 14.
class MenuTracking : public Dispatch {
protected:
    void openMenuWithItemFor(const std::string& keyEquivalent) {
        menu = appkit::Menu::make("Status");
        auto item = appkit::MenuItem::make("Open Search", log("menu item"), keyEquivalent);
        item->setKeyEquivalentModifierMask(
            appkit::ModifierFlags(appkit::ModifierFlags::command | appkit::ModifierFlags::shift));
        menu->addItem(item);
        auto other = appkit::MenuItem::make("Other", log("other item"), "j");
        menu->addItem(other);
        appkit::Application::shared()->beginMenuTracking(menu);
    }
    std::shared_ptr<appkit::Menu> menu;
};

TEST_F(MenuTracking, FromMacOS14TheRunLoopMonitorCatchesTheShortcutBeforeTheMenu) {
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{14, 0, 0});
    Name toggleSearch("toggleSearch", toggleDefault);
    Name search("search", commandK);
    onKeyDown(toggleSearch, log("down"));
    onKeyUp(toggleSearch, log("up"));

    openMenuWithItemFor(" ");
    EXPECT_TRUE(liveHotKeyIds().empty());
    screen.pressKeys("shift+cmd+space");
    screen.pressKeys("cmd+k");  // a suspended hot key of "search": caught, though no handler runs
    screen.pressKeys("cmd+j");  // no hot key: the menu takes it
    runUntilIdle(foundation::NSEventTrackingRunLoopMode);
    EXPECT_EQ(calls, (std::vector<std::string>{"down", "up", "other item"}));

    appkit::Application::shared()->endMenuTracking();
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
    calls.clear();
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, (std::vector<std::string>{"down", "up"}));
}

TEST_F(MenuTracking, BelowMacOS14RawKeyEventsRunTheShortcut) {
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{13, 6, 0});
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyDown(toggleSearch, log("down"));
    onKeyUp(toggleSearch, log("up"));
    auto& manager = carbon::EventManager::shared();

    openMenuWithItemFor(" ");
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_TRUE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventRawKeyDown));
    EXPECT_FALSE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));
    screen.pressKeys("shift+cmd+space");
    EXPECT_EQ(calls, (std::vector<std::string>{"down", "up"}));
    screen.pressKeys("cmd+j");  // not ours: handed on to the menu
    runUntilIdle(foundation::NSEventTrackingRunLoopMode);
    EXPECT_EQ(calls, (std::vector<std::string>{"down", "up", "other item"}));

    appkit::Application::shared()->endMenuTracking();
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    EXPECT_FALSE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventRawKeyDown));
    EXPECT_TRUE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));
}

TEST_F(MenuTracking, WhileAMenuTracksCapsLockIsIgnoredAndOtherModifiersCount) {
    struct Case {
        const char* pressed;
        bool runs;
    };
    const Case cases[] = {
        {"shift+cmd+space", true},
        {"capslock+shift+cmd+space", true},
        {"opt+shift+cmd+space", false},
        {"fn+shift+cmd+space", false},
        {"cmd+space", false},
    };
    for (auto version : {foundation::OperatingSystemVersion{13, 6, 0}, foundation::OperatingSystemVersion{14, 0, 0}}) {
        foundation::ProcessInfo::setOperatingSystemVersionForTesting(version);
        Name toggleSearch("toggleSearch", toggleDefault);
        onKeyUp(toggleSearch, log("up"));
        appkit::Application::shared()->beginMenuTracking(appkit::Menu::make("Status"));
        for (const auto& entry : cases) {
            SCOPED_TRACE(std::to_string(version.majorVersion) + " " + entry.pressed);
            calls.clear();
            screen.pressKeys(entry.pressed);
            runUntilIdle(foundation::NSEventTrackingRunLoopMode);
            EXPECT_EQ(calls, entry.runs ? std::vector<std::string>{"up"} : std::vector<std::string>{});
        }
        appkit::Application::shared()->endMenuTracking();
        removeAllHandlers();
    }
}

TEST_F(MenuTracking, MenuOpenedWhileTheShortcutIsHeldStillHearsItsRelease) {
    for (auto version : {foundation::OperatingSystemVersion{13, 6, 0}, foundation::OperatingSystemVersion{14, 0, 0}}) {
        SCOPED_TRACE(version.majorVersion);
        foundation::ProcessInfo::setOperatingSystemVersionForTesting(version);
        Name toggleSearch("toggleSearch", toggleDefault);
        onKeyDown(toggleSearch, [&] {
            calls.push_back("down");
            appkit::Application::shared()->beginMenuTracking(appkit::Menu::make("Status"));
        });
        onKeyUp(toggleSearch, log("up"));
        screen.pressKeys("shift+cmd+space");
        runUntilIdle(foundation::NSEventTrackingRunLoopMode);
        EXPECT_EQ(calls, (std::vector<std::string>{"down", "up"}));

        appkit::Application::shared()->endMenuTracking();
        calls.clear();
        removeAllHandlers();
    }
}

TEST_F(MenuTracking, ShortcutStoredWhileAMenuTracksWorksThroughTheMonitor) {
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{14, 0, 0});
    Name toggleSearch("toggleSearch", toggleDefault);
    Name search("search");
    onKeyDown(search, log("search"));
    openMenuWithItemFor(" ");
    search.setShortcut(commandK);
    EXPECT_TRUE(liveHotKeyIds().empty());
    screen.pressKeys("cmd+k");
    runUntilIdle(foundation::NSEventTrackingRunLoopMode);
    EXPECT_EQ(calls, std::vector<std::string>{"search"});
    appkit::Application::shared()->endMenuTracking();
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
}

TEST_F(MenuTracking, WhileDisabledTheMenuGetsTheShortcutsKeys) {
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{14, 0, 0});
    Name toggleSearch("toggleSearch", toggleDefault);
    onKeyDown(toggleSearch, log("down"));
    setIsEnabled(false);
    openMenuWithItemFor(" ");
    screen.pressKeys("shift+cmd+space");
    runUntilIdle(foundation::NSEventTrackingRunLoopMode);
    EXPECT_EQ(calls, std::vector<std::string>{"menu item"});  // disabled: the menu gets the key
    appkit::Application::shared()->endMenuTracking();
    EXPECT_TRUE(liveHotKeyIds().empty());
    setIsEnabled(true);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
}

}  // namespace

TEST(HandlerDispatchDeathTest, AHandlerAddedOffTheMainThreadStopsTheProcessNamingTheEntryPoint) {
    GlobalShortcuts::Name name("worker");
    EXPECT_DEATH(std::thread([&] { GlobalShortcuts::onKeyUp(name, [] {}); }).join(),
                 "onKeyUp.* must be called on the main thread");
}
