#include "GlobalShortcuts/AlertSheetCompletion.hpp"
#include "GlobalShortcuts/FunctionKeys.hpp"
#include "GlobalShortcuts/LocalEventMonitor.hpp"
#include "GlobalShortcuts/ObjectAssociation.hpp"
#include "GlobalShortcuts/RunLoopLocalEventMonitor.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/foundation/String.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace GlobalShortcuts;
using appkit::EventType;
using shortcutstest::ShortcutsTest;

appkit::EventPtr keyEvent(EventType type, std::uint16_t keyCode) {
    return appkit::Event::keyEvent(type, {}, {}, 0, 0, {"x", "x", false, keyCode});
}

appkit::EventPtr mouseEvent(EventType type, double x) { return appkit::Event::mouseEvent(type, {x, 0}, {}, 0, 0, 1); }

constexpr appkit::EventTypeMask keyEvents =
    appkit::eventMaskFromType(EventType::keyDown) | appkit::eventMaskFromType(EventType::keyUp);

class EventMonitors : public ShortcutsTest {
protected:
    void SetUp() override {
        ShortcutsTest::SetUp();
        appkit::Application::shared()->setWindowEventHandler(
            [this](const appkit::EventPtr& event) { reached.push_back(event); });
    }
    std::vector<appkit::EventPtr> reached;
};

TEST_F(EventMonitors, DrainKeepsOrderAndDropsOnlySwallowedEvents) {
    auto application = appkit::Application::shared();
    auto firstKey = keyEvent(EventType::keyDown, 1);
    auto click = mouseEvent(EventType::leftMouseUp, 5);
    auto secondKey = keyEvent(EventType::keyUp, 1);
    auto keptKey = keyEvent(EventType::keyDown, 2);
    auto lateClick = mouseEvent(EventType::leftMouseDown, 6);
    for (const auto& event : {firstKey, click, secondKey, keptKey, lateClick}) application->postEvent(event, false);

    std::vector<appkit::EventPtr> watched;
    RunLoopLocalEventMonitor::drain(keyEvents, [&](const appkit::EventPtr& event) -> appkit::EventPtr {
        watched.push_back(event);
        return event->keyCode() == 1 ? nullptr : event;
    });
    EXPECT_EQ(watched, (std::vector<appkit::EventPtr>{firstKey, secondKey, keptKey}));
    std::vector<appkit::EventPtr> left;
    while (auto event = application->nextEvent(appkit::NSEventMaskAny, std::nullopt, "", true)) left.push_back(event);
    EXPECT_EQ(left, (std::vector<appkit::EventPtr>{click, keptKey, lateClick}));
}

TEST_F(EventMonitors, ReplacementEventTakesTheWatchedEventsPlaceInTheReplay) {
    auto application = appkit::Application::shared();
    auto original = keyEvent(EventType::keyDown, 1);
    auto replacement = keyEvent(EventType::keyDown, 9);
    auto click = mouseEvent(EventType::leftMouseUp, 5);
    application->postEvent(original, false);
    application->postEvent(click, false);
    RunLoopLocalEventMonitor::drain(keyEvents, [&](const appkit::EventPtr&) { return replacement; });
    EXPECT_EQ(application->nextEvent(appkit::NSEventMaskAny, std::nullopt, "", true), replacement);
    EXPECT_EQ(application->nextEvent(appkit::NSEventMaskAny, std::nullopt, "", true), click);
    EXPECT_EQ(application->nextEvent(appkit::NSEventMaskAny, std::nullopt, "", true), nullptr);
}

TEST_F(EventMonitors, RunLoopMonitorWatchesOnlyWhileStartedAndInItsMode) {
    int swallowed = 0;
    RunLoopLocalEventMonitor monitor(keyEvents, foundation::NSEventTrackingRunLoopMode,
                                     [&](const appkit::EventPtr&) -> appkit::EventPtr {
                                         ++swallowed;
                                         return nullptr;
                                     });
    auto application = appkit::Application::shared();
    monitor.start();
    application->postEvent(keyEvent(EventType::keyDown, 1), false);
    application->postEvent(mouseEvent(EventType::leftMouseUp, 1), false);
    application->postEvent(keyEvent(EventType::keyUp, 1), false);
    runUntilIdle(foundation::NSEventTrackingRunLoopMode);
    EXPECT_EQ(swallowed, 2);
    ASSERT_EQ(reached.size(), 1u);
    EXPECT_EQ(reached[0]->type(), EventType::leftMouseUp);

    // Started, but the loop runs in another mode: the key goes its way.
    application->postEvent(keyEvent(EventType::keyDown, 1), false);
    runUntilIdle();
    EXPECT_EQ(swallowed, 2);
    ASSERT_EQ(reached.size(), 2u);
    EXPECT_EQ(reached[1]->type(), EventType::keyDown);

    monitor.stop();
    application->postEvent(keyEvent(EventType::keyDown, 1), false);
    runUntilIdle(foundation::NSEventTrackingRunLoopMode);
    EXPECT_EQ(swallowed, 2);
    EXPECT_EQ(reached.size(), 3u);
}

TEST_F(EventMonitors, LocalMonitorRunsFromStartUntilReleased) {
    std::vector<std::uint16_t> seen;
    auto application = appkit::Application::shared();
    auto monitor = std::make_shared<LocalEventMonitor>(
        appkit::eventMaskFromType(EventType::keyDown), [&](const appkit::EventPtr& event) -> appkit::EventPtr {
            seen.push_back(event->keyCode());
            return event->keyCode() == 53 ? nullptr : event;
        });
    application->sendEvent(keyEvent(EventType::keyDown, 1));
    EXPECT_TRUE(seen.empty());

    EXPECT_EQ(monitor->start(), monitor);
    application->sendEvent(keyEvent(EventType::keyDown, 53));
    application->sendEvent(keyEvent(EventType::keyDown, 2));
    application->sendEvent(keyEvent(EventType::keyUp, 2));
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{53, 2}));
    EXPECT_EQ(reached.size(), 3u);  // the first key, key 2 down and up

    monitor.reset();
    application->sendEvent(keyEvent(EventType::keyDown, 53));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(reached.size(), 4u);
}

TEST_F(EventMonitors, MonitorHeldWithoutASharedPointerStartsAndStopsAlike) {
    int calls = 0;
    auto application = appkit::Application::shared();
    {
        LocalEventMonitor monitor(appkit::eventMaskFromType(EventType::keyDown), [&](const appkit::EventPtr&) {
            ++calls;
            return appkit::EventPtr();
        });
        EXPECT_EQ(monitor.start(), nullptr);  // nothing shares it: no pointer to hand back
        application->sendEvent(keyEvent(EventType::keyDown, 1));
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(reached.empty());
    }
    application->sendEvent(keyEvent(EventType::keyDown, 1));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(reached.size(), 1u);
}

TEST_F(EventMonitors, StartingAgainLeavesOneMonitorThatReleasingStops) {
    int calls = 0;
    auto application = appkit::Application::shared();
    auto monitor = std::make_shared<LocalEventMonitor>(appkit::eventMaskFromType(EventType::keyDown),
                                                       [&](const appkit::EventPtr&) {
                                                           ++calls;
                                                           return appkit::EventPtr();
                                                       });
    monitor->start();
    monitor->start();
    application->sendEvent(keyEvent(EventType::keyDown, 1));
    EXPECT_EQ(calls, 1);
    monitor.reset();
    application->sendEvent(keyEvent(EventType::keyDown, 1));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(reached.size(), 1u);
}

TEST_F(EventMonitors, ReleasingAMonitorWhoseTokenIsGoneDoesNothing) {
    int calls = 0;
    auto monitor = std::make_shared<LocalEventMonitor>(appkit::eventMaskFromType(EventType::keyDown),
                                                       [&](const appkit::EventPtr& event) {
                                                           ++calls;
                                                           return event;
                                                       });
    monitor->start();
    appkit::Application::resetForTesting();  // the application and its monitor tokens go
    EXPECT_NO_THROW(monitor.reset());
    appkit::Application::shared()->sendEvent(keyEvent(EventType::keyDown, 1));
    EXPECT_EQ(calls, 0);
}

TEST_F(EventMonitors, SheetResponseBecomesTheModalResult) {
    auto application = appkit::Application::shared();
    dispatch::mainQueue()->async([] { alertSheetCompletion(appkit::NSAlertSecondButtonReturn); });
    EXPECT_EQ(application->runModal(), appkit::NSAlertSecondButtonReturn);
    EXPECT_FALSE(application->isRunningModal());
    alertSheetCompletion(appkit::NSAlertFirstButtonReturn);  // no session: nothing to end
    EXPECT_EQ(application->runModal(), appkit::NSModalResponseAbort);  // nothing left to end it
}

TEST(ObjectAssociationSlots, EachInstanceIsItsOwnSlot) {
    auto owner = std::make_shared<objc::Object>();
    ObjectAssociation<foundation::String> first(AssociationPolicy::retainNonatomic);
    ObjectAssociation<foundation::String> second(AssociationPolicy::retain);
    first.set(owner, foundation::String::make("first"));
    ASSERT_TRUE(first[owner]);
    EXPECT_EQ(first[owner]->value(), "first");
    EXPECT_FALSE(second[owner]);
    first.set(owner, nullptr);
    EXPECT_FALSE(first[owner]);

    // A value that is not an object travels boxed; a value of another type reads as none.
    ObjectAssociation<std::string> plain;
    plain.set(owner, std::make_shared<std::string>("token"));
    ASSERT_TRUE(plain[owner]);
    EXPECT_EQ(*plain[owner], "token");
    ObjectAssociation<foundation::String> mismatched;
    objc::setAssociatedObject(owner, &mismatched, std::make_shared<objc::Object>(),
                              objc::AssociationPolicy::retainNonatomic);
    EXPECT_FALSE(mismatched[owner]);
}

TEST(FunctionKeySet, HoldsF1ToF35Only) {
    const auto& keys = functionKeys();
    EXPECT_EQ(keys.size(), 35u);
    EXPECT_TRUE(keys.count(appkit::SpecialKey::f1));
    EXPECT_TRUE(keys.count(appkit::SpecialKey::f35));
    EXPECT_TRUE(keys.count(appkit::functionKey(12)));
    for (auto other : {appkit::SpecialKey::insert, appkit::SpecialKey::tab, appkit::SpecialKey::upArrow,
                       appkit::SpecialKey::delete_, appkit::SpecialKey::help, appkit::SpecialKey::home})
        EXPECT_FALSE(keys.count(other)) << static_cast<unsigned>(other);
}

}  // namespace
