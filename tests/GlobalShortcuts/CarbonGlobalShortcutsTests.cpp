#include "GlobalShortcuts/CarbonGlobalShortcuts.hpp"
#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "platform/carbon/EventManager.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace GlobalShortcuts;
using shortcutstest::ShortcutsTest;

const Shortcut toggle(49, 0x300);
const Shortcut other(40, 0x100);

class CarbonHotKeys : public ShortcutsTest {
protected:
    CarbonGlobalShortcuts::HotKeyAction record(std::string label) {
        return [this, label](const Shortcut& shortcut) { calls.push_back(label + " " + shortcut.description()); };
    }
    carbon::OSStatus dispatch(carbon::UInt32 kind, carbon::EventHotKeyID identifier) {
        return carbon::EventManager::shared().dispatchEvent(carbon::CarbonEvent::makeHotKeyEvent(kind, identifier));
    }
    std::vector<std::string> calls;
};

TEST_F(CarbonHotKeys, FirstRegistrationGetsIdOneAndInstallsTheHandler) {
    auto& manager = carbon::EventManager::shared();
    EXPECT_FALSE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));
    CarbonGlobalShortcuts::register_(toggle, record("down"), record("up"));
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    EXPECT_TRUE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));
    EXPECT_TRUE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased));
    EXPECT_FALSE(manager.isHandled(carbon::kEventClassKeyboard, carbon::kEventRawKeyDown));

    CarbonGlobalShortcuts::register_(other, record("down"), record("up"));
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
    auto registrations = manager.registeredHotKeys();
    EXPECT_EQ(registrations[0].keyCode, 49u);
    EXPECT_EQ(registrations[0].modifiers, 0x300u);
    EXPECT_EQ(registrations[0].identifier.signature, CarbonGlobalShortcuts::hotKeySignature);

    EXPECT_EQ(dispatch(carbon::kEventHotKeyPressed, {CarbonGlobalShortcuts::hotKeySignature, 2}), carbon::noErr);
    EXPECT_EQ(dispatch(carbon::kEventHotKeyReleased, {CarbonGlobalShortcuts::hotKeySignature, 1}), carbon::noErr);
    EXPECT_EQ(calls, (std::vector<std::string>{"down ⌘K", "up ⇧⌘Space"}));
}

TEST_F(CarbonHotKeys, EventsThatAreNotOursAreHandedOn) {
    CarbonGlobalShortcuts::register_(toggle, record("down"), record("up"));
    EXPECT_EQ(dispatch(carbon::kEventHotKeyPressed, {0x41424344, 1}), carbon::eventNotHandledErr);
    EXPECT_EQ(dispatch(carbon::kEventHotKeyPressed, {CarbonGlobalShortcuts::hotKeySignature, 7}),
              carbon::eventNotHandledErr);
    auto noIdentifier = std::make_shared<carbon::CarbonEvent>(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed);
    EXPECT_EQ(CarbonGlobalShortcuts::carbonEventHandler(nullptr, noIdentifier, nullptr),
              carbon::eventParameterNotFoundErr);
    EXPECT_EQ(CarbonGlobalShortcuts::carbonEventHandler(nullptr, nullptr, nullptr), carbon::eventNotHandledErr);
    auto otherKind = std::make_shared<carbon::CarbonEvent>(carbon::kEventClassKeyboard, carbon::kEventRawKeyRepeat);
    EXPECT_EQ(CarbonGlobalShortcuts::carbonEventHandler(nullptr, otherKind, nullptr), carbon::eventNotHandledErr);
    EXPECT_TRUE(calls.empty());
}

TEST_F(CarbonHotKeys, RefusedRegistrationPrintsOneLineAndKeepsTheIdUsed) {
    carbon::EventManager::shared().reserveForOtherApplication(49, 0x300);
    testing::internal::CaptureStdout();
    CarbonGlobalShortcuts::register_(toggle, record("down"), record("up"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘Space: -9878\n");
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_FALSE(carbon::EventManager::shared().isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));

    CarbonGlobalShortcuts::register_(other, record("down"), record("up"));
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{2});
}

TEST_F(CarbonHotKeys, ValuesCarbonCannotTakeAreRefusedLikeARegistration) {
    testing::internal::CaptureStdout();
    CarbonGlobalShortcuts::register_(*Shortcut::decodeJSON(R"({"carbonKeyCode":-3,"carbonModifiers":256})"),
                                     record("down"), record("up"));
    CarbonGlobalShortcuts::register_(*Shortcut::decodeJSON(R"({"carbonKeyCode":0,"carbonModifiers":4294967552})"),
                                     record("down"), record("up"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error registering hotkey ⌘\uFFFD: -50\nError registering hotkey ⌘A: -50\n");
    EXPECT_TRUE(liveHotKeyIds().empty());
}

TEST_F(CarbonHotKeys, UnregisterRemovesEveryHotKeyOfTheShortcut) {
    CarbonGlobalShortcuts::register_(toggle, record("first"), record("first"));
    CarbonGlobalShortcuts::register_(other, record("other"), record("other"));
    CarbonGlobalShortcuts::register_(toggle, record("second"), record("second"));
    CarbonGlobalShortcuts::unregister(toggle);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{2});
    EXPECT_EQ(dispatch(carbon::kEventHotKeyPressed, {CarbonGlobalShortcuts::hotKeySignature, 3}),
              carbon::eventNotHandledErr);
    CarbonGlobalShortcuts::unregister(Shortcut(49, 0x100));  // same key, other modifiers
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{2});
}

TEST_F(CarbonHotKeys, RegistrationWhileDisabledIsSuspendedAtOnce) {
    setIsEnabled(false);  // no handler yet: nothing to switch
    CarbonGlobalShortcuts::register_(toggle, record("down"), record("up"));
    EXPECT_TRUE(liveHotKeyIds().empty());
    EXPECT_FALSE(carbon::EventManager::shared().isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));

    setIsEnabled(true);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    EXPECT_TRUE(carbon::EventManager::shared().isHandled(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed));
}

TEST_F(CarbonHotKeys, LaterRegistrationWhileDisabledWaitsSuspendedInsteadOfSwallowingItsKey) {
    CarbonGlobalShortcuts::register_(toggle, record("down"), record("up"));
    setIsEnabled(false);
    CarbonGlobalShortcuts::register_(other, record("down"), record("up"));
    EXPECT_TRUE(liveHotKeyIds().empty());
    setIsEnabled(true);
    EXPECT_EQ(liveHotKeyIds(), (std::vector<unsigned>{1, 2}));
}

TEST_F(CarbonHotKeys, HotKeyCarbonRefusesOnResumingIsDroppedWithTheLine) {
    CarbonGlobalShortcuts::register_(toggle, record("down"), record("up"));
    CarbonGlobalShortcuts::register_(other, record("down"), record("up"));
    setIsEnabled(false);
    carbon::EventManager::shared().reserveForOtherApplication(40, 0x100);
    testing::internal::CaptureStdout();
    setIsEnabled(true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⌘K: -9878\n");
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
    setIsEnabled(false);
    setIsEnabled(true);
    EXPECT_EQ(liveHotKeyIds(), std::vector<unsigned>{1});
}

TEST_F(CarbonHotKeys, SystemShortcutsListOnlyWellFormedEnabledEntries) {
    auto entry = [](const std::string& enabled, const std::string& code, const std::string& modifiers) {
        std::string text = "<dict>";
        if (!enabled.empty()) text += "<key>kHISymbolicHotKeyEnabled</key>" + enabled;
        if (!code.empty()) text += "<key>kHISymbolicHotKeyCode</key>" + code;
        if (!modifiers.empty()) text += "<key>kHISymbolicHotKeyModifiers</key>" + modifiers;
        return text + "</dict>";
    };
    setPlatformSettings("com.apple.keylayout.US",
                        "<key>KVSymbolicHotKeys</key><array>" +
                            entry("<true/>", "<integer>49</integer>", "<integer>256</integer>") +
                            entry("<false/>", "<integer>49</integer>", "<integer>768</integer>") +
                            entry("", "<integer>48</integer>", "<integer>256</integer>") +
                            entry("<integer>1</integer>", "<integer>47</integer>", "<integer>256</integer>") +
                            entry("<true/>", "<string>12</string>", "<integer>256</integer>") +
                            entry("<true/>", "<integer>111</integer>", "<integer>66048</integer>") +
                            entry("<true/>", "<integer>49</integer>", "<integer>256</integer>") + "</array>");
    EXPECT_EQ(CarbonGlobalShortcuts::systemShortcuts(),
              (std::vector<Shortcut>{Shortcut(49, 0x100), Shortcut(111, 0x200), Shortcut(49, 0x100)}));
}

TEST_F(CarbonHotKeys, SystemShortcutsOfAMalformedListAreEmpty) {
    EXPECT_TRUE(CarbonGlobalShortcuts::systemShortcuts().empty());
    setPlatformSettings("com.apple.keylayout.US",
                        "<key>KVSymbolicHotKeys</key><array><dict><key>kHISymbolicHotKeyEnabled</key><true/>"
                        "<key>kHISymbolicHotKeyCode</key><integer>49</integer><key>kHISymbolicHotKeyModifiers</key>"
                        "<integer>256</integer></dict><string>junk</string></array>");
    EXPECT_TRUE(CarbonGlobalShortcuts::systemShortcuts().empty());
    setPlatformSettings("com.apple.keylayout.US", "<key>KVSymbolicHotKeys</key><string>junk</string>");
    EXPECT_TRUE(CarbonGlobalShortcuts::systemShortcuts().empty());
}

}  // namespace
