#include "platform/carbon/EventManager.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace carbon;

constexpr EventTypeSpec hotKeyPressed{kEventClassKeyboard, kEventHotKeyPressed};
constexpr EventTypeSpec rawKeyDown{kEventClassKeyboard, kEventRawKeyDown};

class EventManagerTest : public ::testing::Test {};

TEST_F(EventManagerTest, RegistrationsAreLiveUntilUnregistered) {
    EventHotKeyRef first;
    EventHotKeyRef second;
    ASSERT_EQ(RegisterEventHotKey(49, cmdKey | shiftKey, {0x53534B53, 1}, GetEventDispatcherTarget(), 0, &first), noErr);
    ASSERT_EQ(RegisterEventHotKey(49, cmdKey | shiftKey, {0x53534B53, 2}, GetEventDispatcherTarget(), 0, &second),
              noErr);
    auto& manager = EventManager::shared();
    ASSERT_EQ(manager.registeredHotKeys().size(), 2u);
    EXPECT_EQ(manager.hotKeyFor(49, cmdKey | shiftKey)->id, 1u);
    EXPECT_FALSE(manager.hotKeyFor(49, cmdKey));

    EXPECT_EQ(UnregisterEventHotKey(first), noErr);
    EXPECT_EQ(manager.hotKeyFor(49, cmdKey | shiftKey)->id, 2u);
    EXPECT_EQ(UnregisterEventHotKey(first), eventHotKeyInvalidErr);
    EXPECT_EQ(UnregisterEventHotKey(second), noErr);
    EXPECT_TRUE(manager.registeredHotKeys().empty());
}

TEST_F(EventManagerTest, CombinationHeldByAnotherApplicationIsRefused) {
    EventManager::shared().reserveForOtherApplication(40, cmdKey);
    EventHotKeyRef reference;
    EXPECT_EQ(RegisterEventHotKey(40, cmdKey, {1, 1}, GetEventDispatcherTarget(), 0, &reference), eventHotKeyExistsErr);
    EXPECT_FALSE(reference);
    EXPECT_EQ(RegisterEventHotKey(40, cmdKey | shiftKey, {1, 2}, GetEventDispatcherTarget(), 0, &reference), noErr);
}

TEST_F(EventManagerTest, EventsReachOnlyHandlersThatTakeTheirKindNewestFirst) {
    std::vector<std::string> calls;
    EventHandlerRef older;
    EventHandlerRef newer;
    InstallEventHandler(
        GetEventDispatcherTarget(),
        [&](EventHandlerCallRef, const EventRef&, void*) {
            calls.push_back("older");
            return noErr;
        },
        std::span<const EventTypeSpec>(&hotKeyPressed, 1), nullptr, &older);
    InstallEventHandler(
        GetEventDispatcherTarget(),
        [&](EventHandlerCallRef, const EventRef&, void*) {
            calls.push_back("newer");
            return eventNotHandledErr;
        },
        {}, nullptr, &newer);
    auto& manager = EventManager::shared();
    auto pressed = CarbonEvent::makeHotKeyEvent(kEventHotKeyPressed, {1, 1});
    auto raw = CarbonEvent::makeRawKeyEvent(kEventRawKeyDown, 0, 0);

    EXPECT_EQ(manager.dispatchEvent(raw), eventNotHandledErr);
    EXPECT_TRUE(calls.empty());

    AddEventTypesToHandler(newer, std::span<const EventTypeSpec>(&hotKeyPressed, 1));
    EXPECT_EQ(manager.dispatchEvent(pressed), noErr);
    EXPECT_EQ(calls, (std::vector<std::string>{"newer", "older"}));

    RemoveEventTypesFromHandler(older, std::span<const EventTypeSpec>(&hotKeyPressed, 1));
    calls.clear();
    EXPECT_EQ(manager.dispatchEvent(pressed), eventNotHandledErr);
    EXPECT_EQ(calls, (std::vector<std::string>{"newer"}));
    EXPECT_TRUE(manager.isHandled(kEventClassKeyboard, kEventHotKeyPressed));
    EXPECT_FALSE(manager.isHandled(rawKeyDown.eventClass, rawKeyDown.eventKind));
}

TEST_F(EventManagerTest, ParametersAreReadWithTheirTypeOnly) {
    auto raw = CarbonEvent::makeRawKeyEvent(kEventRawKeyUp, 49, cmdKey);
    UInt32 keyCode = 0;
    EXPECT_EQ(GetEventParameter(raw, kEventParamKeyCode, typeUInt32, nullptr, sizeof keyCode, nullptr, &keyCode), noErr);
    EXPECT_EQ(keyCode, 49u);
    EventHotKeyID identifier;
    EXPECT_EQ(GetEventParameter(raw, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof identifier, nullptr,
                                &identifier),
              eventParameterNotFoundErr);
    EXPECT_EQ(GetEventParameter(raw, kEventParamKeyCode, typeEventHotKeyID, nullptr, sizeof identifier, nullptr,
                                &identifier),
              errAECoercionFail);
    std::uint8_t tooSmall = 0;
    EXPECT_EQ(GetEventParameter(raw, kEventParamKeyCode, typeUInt32, nullptr, 1, nullptr, &tooSmall), paramErr);
    EXPECT_EQ(GetEventKind(raw), kEventRawKeyUp);
}

}  // namespace
