#include "platform/appkit/Application.hpp"
#include "platform/objc/Runtime.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace appkit;

EventPtr key(EventType type, std::uint16_t keyCode, std::string characters, std::uint64_t flags = 0) {
    return Event::keyEvent(type, {}, ModifierFlags(flags), 0, 0, {characters, characters, false, keyCode});
}

EventPtr mouse(EventType type, double x = 0) { return Event::mouseEvent(type, {x, 0}, {}, 0, 0, 1); }

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        application = Application::shared();
        application->setWindowEventHandler([this](const EventPtr& event) { reachedWindows.push_back(event); });
    }

    std::shared_ptr<Application> application;
    std::vector<EventPtr> reachedWindows;
};

TEST_F(ApplicationTest, QueueKeepsPostingOrderAndAtStartJumpsAhead) {
    auto first = key(EventType::keyDown, 0, "a");
    auto second = mouse(EventType::leftMouseUp);
    auto urgent = key(EventType::keyUp, 0, "a");
    application->postEvent(first, false);
    application->postEvent(second, false);
    application->postEvent(urgent, true);

    auto mouseOnly = eventMaskFromType(EventType::leftMouseUp);
    EXPECT_EQ(application->nextEvent(mouseOnly, std::nullopt, foundation::NSDefaultRunLoopMode, false), second);
    EXPECT_EQ(application->queuedEventCount(), 3u);
    EXPECT_EQ(application->nextEvent(NSEventMaskAny, std::nullopt, foundation::NSDefaultRunLoopMode, true), urgent);
    EXPECT_EQ(application->nextEvent(NSEventMaskAny, std::nullopt, foundation::NSDefaultRunLoopMode, true), first);
    EXPECT_EQ(application->nextEvent(NSEventMaskAny, std::nullopt, foundation::NSDefaultRunLoopMode, true), second);
    EXPECT_EQ(application->nextEvent(NSEventMaskAny, std::nullopt, foundation::NSDefaultRunLoopMode, true), nullptr);
}

TEST_F(ApplicationTest, QueuedEventsAreSentWhenTheRunLoopTurns) {
    application->postEvent(key(EventType::keyDown, 0, "a"), false);
    application->postEvent(mouse(EventType::leftMouseDown), false);
    EXPECT_TRUE(reachedWindows.empty());
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    ASSERT_EQ(reachedWindows.size(), 2u);
    EXPECT_EQ(reachedWindows[0]->type(), EventType::keyDown);
    EXPECT_EQ(reachedWindows[1]->type(), EventType::leftMouseDown);
    EXPECT_EQ(application->queuedEventCount(), 0u);
}

TEST_F(ApplicationTest, LocalMonitorsSeeEventsInOrderAndMaySwallowOrReplaceThem) {
    std::vector<std::string> seen;
    auto replacement = key(EventType::keyDown, 11, "b");
    auto replacer = Event::addLocalMonitorForEvents(eventMaskFromType(EventType::keyDown), [&](const EventPtr& event) {
        seen.push_back("replacer " + *event->characters());
        return event->keyCode() == 0 ? replacement : event;
    });
    auto swallower = Event::addLocalMonitorForEvents(eventMaskFromType(EventType::keyDown), [&](const EventPtr& event) {
        seen.push_back("swallower " + *event->characters());
        return event->keyCode() == 8 ? nullptr : event;
    });

    application->sendEvent(key(EventType::keyDown, 0, "a"));
    application->sendEvent(key(EventType::keyDown, 8, "c"));
    application->sendEvent(mouse(EventType::leftMouseUp));
    EXPECT_EQ(seen, (std::vector<std::string>{"replacer a", "swallower b", "replacer c", "swallower c"}));
    ASSERT_EQ(reachedWindows.size(), 2u);
    EXPECT_EQ(reachedWindows[0], replacement);
    EXPECT_EQ(reachedWindows[1]->type(), EventType::leftMouseUp);

    Event::removeMonitor(replacer);
    Event::removeMonitor(swallower);
    Event::removeMonitor(swallower);  // a second removal finds nothing
    seen.clear();
    application->sendEvent(key(EventType::keyDown, 8, "c"));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(reachedWindows.size(), 3u);
}

TEST_F(ApplicationTest, MainMenuTakesKeyEquivalentsAnUpperCaseOneMeaningShift) {
    int searches = 0;
    int finds = 0;
    auto menu = Menu::make("Main");
    auto file = MenuItem::make("File");
    auto submenu = Menu::make("File");
    submenu->addItem(MenuItem::make("Search", [&] { ++searches; }, "K"));
    submenu->addItem(MenuItem::make("Find", [&] { ++finds; }, "f"));
    file->setSubmenu(submenu);
    menu->addItem(file);
    application->setMainMenu(menu);

    application->sendEvent(key(EventType::keyDown, 40, "k", ModifierFlags::command));
    EXPECT_EQ(searches, 0);
    application->sendEvent(key(EventType::keyDown, 40, "K", ModifierFlags::command | ModifierFlags::shift));
    EXPECT_EQ(searches, 1);
    application->sendEvent(key(EventType::keyDown, 3, "f", ModifierFlags::command | ModifierFlags::numericPad));
    EXPECT_EQ(finds, 1);
    application->sendEvent(key(EventType::keyUp, 3, "f", ModifierFlags::command));
    EXPECT_EQ(finds, 1);
    EXPECT_EQ(reachedWindows.size(), 2u);  // the unmatched key down and the key up
}

TEST_F(ApplicationTest, MenuTrackingPostsItsNotificationsAndTakesTheKeys) {
    std::vector<std::string> notifications;
    auto center = foundation::NotificationCenter::defaultCenter();
    auto menu = Menu::make("Status");
    auto begin = center->addObserver(NSMenuDidBeginTrackingNotification, nullptr, nullptr,
                                     [&](const foundation::Notification& notification) {
                                         notifications.push_back("begin");
                                         EXPECT_EQ(notification.object, menu);
                                     });
    auto end = center->addObserver(NSMenuDidEndTrackingNotification, nullptr, nullptr,
                                   [&](const foundation::Notification& notification) {
                                       notifications.push_back("end");
                                       EXPECT_EQ(notification.object, menu);
                                   });
    int opened = 0;
    menu->addItem(MenuItem::make("Open", [&] { ++opened; }, "o"));

    application->beginMenuTracking(menu);
    EXPECT_EQ(application->trackingMenu(), menu);
    application->postEvent(key(EventType::keyDown, 31, "o", ModifierFlags::command), false);
    application->postEvent(mouse(EventType::leftMouseUp), false);
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle(foundation::NSEventTrackingRunLoopMode));
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(reachedWindows.size(), 1u);
    EXPECT_EQ(reachedWindows[0]->type(), EventType::leftMouseUp);

    application->endMenuTracking();
    EXPECT_FALSE(application->trackingMenu());
    EXPECT_EQ(notifications, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(ApplicationTest, EventPostedDuringAWaitForAnotherKindIsStillHandled) {
    foundation::Clock::installManual();
    auto click = mouse(EventType::leftMouseUp);
    dispatch::mainQueue()->async([&] { application->postEvent(click, false); });
    EXPECT_EQ(application->nextEvent(eventMaskFromType(EventType::keyDown),
                                     foundation::Clock::now() + std::chrono::seconds(5),
                                     foundation::NSDefaultRunLoopMode, true),
              nullptr);
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    EXPECT_EQ(reachedWindows, std::vector<EventPtr>{click});
    EXPECT_EQ(application->queuedEventCount(), 0u);
}

TEST_F(ApplicationTest, DelegateIsSetThroughTheRuntimeHeldWeaklyAndAskedOnlyWhatItAnswers) {
    auto delegate = std::make_shared<objc::Object>(objc::defineClass("KVTestApplicationDelegate"));
    auto shared = objc::sendToClass<objc::Id>(objc::lookUpClass("NSApplication"), "sharedApplication");
    ASSERT_EQ(shared, application);
    objc::send<void, objc::Id>(shared, "setDelegate:", delegate);
    EXPECT_EQ(objc::send<objc::Id>(shared, "delegate"), delegate);
    EXPECT_FALSE(application->continueUserActivity(std::make_shared<foundation::UserActivity>("browsing"), nullptr))
        << "a delegate without the method has not continued it";
    delegate.reset();
    EXPECT_EQ(application->delegate(), nullptr) << "the application does not keep its delegate";
}

TEST(Event, KeyDetailsBelongToKeyEventsOnly) {
    auto arrow = Event::keyEvent(EventType::keyDown, {}, {}, 0, 0, {"\uF700", "\uF700", false, 126});
    EXPECT_EQ(arrow->specialKey(), SpecialKey::upArrow);
    auto letter = Event::keyEvent(EventType::keyDown, {}, {}, 0, 0, {"a", "a", false, 0});
    EXPECT_FALSE(letter->specialKey());
    auto click = Event::mouseEvent(EventType::leftMouseDown, {3, 4}, {}, 0, 0, 2);
    EXPECT_FALSE(click->characters());
    EXPECT_FALSE(click->specialKey());
    EXPECT_THROW(click->keyCode(), foundation::Exception);
    EXPECT_EQ(click->clickCount(), 2);
    EXPECT_EQ(eventMaskFromType(static_cast<EventType>(70)), NSEventMaskAny);
}

}  // namespace

TEST_F(ApplicationTest, TheActivationPolicyStartsFromTheBundleAndThenFollowsWhatIsSet) {
    const std::pair<const char*, ApplicationActivationPolicy> cases[] = {
        {"", ApplicationActivationPolicy::regular},
        {"<key>LSUIElement</key><true/>", ApplicationActivationPolicy::accessory},
        {"<key>LSUIElement</key><string>YES</string>", ApplicationActivationPolicy::accessory},
        {"<key>LSUIElement</key><true/><key>LSBackgroundOnly</key><true/>", ApplicationActivationPolicy::prohibited},
    };
    auto bundle = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Kestrelvault.app";
    std::filesystem::create_directories(bundle / "Contents");
    for (const auto& [entries, policy] : cases) {
        std::ofstream(bundle / "Contents/Info.plist") << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" << entries
                                                      << "</dict></plist>";
        foundation::Bundle::setMainBundlePathForTesting(bundle);
        Application::resetForTesting();
        EXPECT_EQ(Application::shared()->activationPolicy(), policy) << entries;
    }
    for (auto policy : {ApplicationActivationPolicy::regular, ApplicationActivationPolicy::accessory}) {
        EXPECT_TRUE(Application::shared()->setActivationPolicy(policy));
        EXPECT_EQ(Application::shared()->activationPolicy(), policy);
    }
}
