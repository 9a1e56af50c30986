#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/RecorderCocoa/RecorderCocoa.hpp"
#include "GlobalShortcuts/ResourceBundle.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/appkit/Alert.hpp"
#include "platform/appkit/Button.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/render/Renderer.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"
#include "tests/support/PlatformSettings.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace GlobalShortcuts;
using appkit::Point;

const Shortcut commandJ(38, 0x100);
const Shortcut shiftCommandK(40, 0x300);

// A Settings-like window: the recorder for "search" (stored ⌘J) above a text field.
class Recorder : public shortcutstest::ShortcutsTest {
protected:
    void SetUp() override {
        ShortcutsTest::SetUp();
        std::ofstream(foundation::Bundle::mainBundle()->resourcePath() / resourceBundleName / "en.lproj/Localizable.strings")
            << testsupport::xmlPropertyList("<key>space_key</key><string>space</string><key>keyboard_shortcut_used_"
                                            "by_menu_item</key><string>Used by “%@”.</string>");
        name.setShortcut(commandJ);
        window = appkit::Window::create(appkit::Rect(100, 100, 300, 100), appkit::WindowStyleMask::titled);
        recorder = RecorderCocoa::create(name, [this](std::optional<Shortcut> shortcut) { changes.push_back(shortcut); });
        recorder->setFrameOrigin({20, 60});
        window->contentView()->addSubview(recorder);
        window->contentView()->addSubview(next);
        window->makeKeyAndOrderFront();
        statusToken = foundation::NotificationCenter::defaultCenter()->addObserver(
            recorderActiveStatusDidChange, nullptr, nullptr, [this](const foundation::Notification& notification) {
                statuses.push_back(objc::as<foundation::Number>(notification.userInfo->objectForKey("isActive"))->boolValue());
            });
    }
    void press(const char* keys) {
        display.pressKeys(keys);
        runUntilIdle();
    }
    void click(Point location) {
        display.click(location);
        runUntilIdle();
    }
    void clickRecorder() { click({80, 72}); }
    bool recording() const { return recorder->placeholderString() == "press_shortcut" && isPaused(); }
    // Answers every alert once it is up, as a person would: Return for the first button, a
    // click for another.
    void answerAlertsWith(int button) {
        alertToken = foundation::NotificationCenter::defaultCenter()->addObserver(
            appkit::NSWindowDidBecomeKeyNotification, nullptr, nullptr, [this, button](const foundation::Notification&) {
                auto alert = appkit::Alert::frontmostAlert();
                if (!alert) return;
                alertMessages.push_back(alert->messageText());
                dispatch::mainQueue()->async([this, alert, button] {
                    auto target = alert->buttons().at(button);
                    if (button == 0) return display.pressKeys("return");
                    display.click(target->convertPointToView({10, 10}, nullptr));
                });
            });
    }

    display::HeadlessDisplay display;
    Name name{"search"};
    std::shared_ptr<appkit::Window> window;
    std::shared_ptr<RecorderCocoa> recorder;
    std::shared_ptr<appkit::TextField> next = std::make_shared<appkit::TextField>(appkit::Rect(20, 20, 200, 22));
    std::vector<std::optional<Shortcut>> changes;
    std::vector<bool> statuses;
    std::vector<std::string> alertMessages;
    std::unique_ptr<foundation::NotificationToken> statusToken, alertToken;
};

TEST_F(Recorder, ARecordedShortcutIsStoredShownAndLiveAtOnceWhileNoHotKeyRunsDuringRecording) {
    Name toggle("toggleSearch", Shortcut(Key::space, appkit::ModifierFlags(0x120000)));
    int toggles = 0, searches = 0;
    onKeyUp(toggle, [&] { ++toggles; });
    onKeyDown(name, [&] { ++searches; });
    EXPECT_EQ(recorder->stringValue(), "⌘J");
    EXPECT_EQ(recorder->placeholderString(), "record_shortcut");
    clickRecorder();
    EXPECT_TRUE(recording());
    EXPECT_EQ(recorder->currentEditor()->insertionPointColor(), appkit::Color::clearColor());
    press("shift+cmd+space");
    EXPECT_EQ(toggles, 0);
    press("shift+cmd+k");
    EXPECT_EQ(getShortcut(name), shiftCommandK);
    EXPECT_EQ(changes, std::vector<std::optional<Shortcut>>{shiftCommandK});
    EXPECT_EQ(recorder->stringValue(), "⇧⌘K");
    EXPECT_FALSE(recording());
    EXPECT_EQ(window->firstResponder(), window);
    EXPECT_EQ(statuses, (std::vector<bool>{true, false}));
    press("shift+cmd+space");
    press("shift+cmd+k");
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(searches, 1);
}

TEST_F(Recorder, EachKeyIsJudgedByTheRulesInOrder) {
    struct Case {
        const char* keys;
        std::optional<Shortcut> stored;
        bool beeps;
        bool recordsOn;
        const char* text;
    };
    const Case cases[] = {
        {"escape", commandJ, false, false, "⌘J"},       {"a", commandJ, true, true, "⌘J"},
        {"shift+a", commandJ, true, true, "⌘J"},        {"home", commandJ, true, true, "⌘J"},
        {"f5", Shortcut(96, 0), false, false, "F5"},    {"shift+f5", Shortcut(96, 0x200), false, false, "⇧F5"},
        {"opt+k", Shortcut(40, 0x800), false, false, "⌥K"}, {"delete", std::nullopt, false, true, ""},
        {"forwarddelete", std::nullopt, false, true, ""},
    };
    for (const auto& test : cases) {
        name.setShortcut(commandJ);
        changes.clear();
        appkit::resetBeepCountForTesting();
        clickRecorder();
        press(test.keys);
        EXPECT_EQ(getShortcut(name), test.stored) << test.keys;
        EXPECT_EQ(appkit::beepCount(), test.beeps ? 1 : 0) << test.keys;
        EXPECT_EQ(recording(), test.recordsOn) << test.keys;
        EXPECT_EQ(recorder->stringValue(), test.text) << test.keys;
        EXPECT_EQ(recorder->searchCell()->cancelButtonCell() != nullptr, *test.text != 0) << test.keys;
        EXPECT_EQ(changes, test.stored == commandJ ? std::vector<std::optional<Shortcut>>{}
                                                   : std::vector<std::optional<Shortcut>>{test.stored})
            << test.keys;
        if (test.recordsOn && !test.stored) {
            press("delete");  // on an empty field: nothing, not even a beep
            EXPECT_EQ(appkit::beepCount(), 0) << test.keys;
            EXPECT_EQ(changes.size(), 1u) << test.keys;
        }
        if (recording()) press("escape");
    }
}

TEST_F(Recorder, TabAndClicksAwayEndRecordingAndReachTheirTargetWhileClicksCloseByAndOnTheClearButtonDoNot) {
    int taps = 0;
    auto button = std::make_shared<appkit::Button>("Go", [&] { ++taps; });
    button->setFrame(appkit::Rect(160, 60, 60, 24));
    window->contentView()->addSubview(button);
    clickRecorder();
    click({20 + 130 + 2, 72});
    EXPECT_TRUE(recording());
    click({170, 72});
    EXPECT_FALSE(recording());
    EXPECT_EQ(taps, 1);

    clickRecorder();
    click({20 + 130 - 12, 72});  // the clear button
    EXPECT_EQ(getShortcut(name), std::nullopt);
    EXPECT_EQ(changes, std::vector<std::optional<Shortcut>>{std::nullopt});
    EXPECT_TRUE(recording());
    press("tab");
    EXPECT_FALSE(recording());
    ASSERT_NE(next->currentEditor(), nullptr);
    EXPECT_EQ(next->currentEditor()->insertionPointColor(), appkit::Color::labelColor());  // the caret shows again
}

TEST_F(Recorder, RefusedShortcutsShowAnAlertStoreNothingAndRecordAgainUnlessTheSystemsIsForced) {
    auto file = appkit::MenuItem::make("File");
    file->setSubmenu(appkit::Menu::make("File"));
    file->submenu()->addItem(appkit::MenuItem::make("Open Search", nullptr, "L"));
    appkit::Application::shared()->setMainMenu(appkit::Menu::make());
    appkit::Application::shared()->mainMenu()->addItem(file);
    auto hotKey = [](int code, int modifiers) {
        return "<dict><key>kHISymbolicHotKeyEnabled</key><true/><key>kHISymbolicHotKeyCode</key><integer>" +
               std::to_string(code) + "</integer><key>kHISymbolicHotKeyModifiers</key><integer>" +
               std::to_string(modifiers) + "</integer></dict>";
    };
    setPlatformSettings("com.apple.keylayout.US", "<key>KVSymbolicHotKeys</key><array>" + hotKey(40, 0x300) +
                                                      hotKey(111, 0) + hotKey(111, 0x200) + "</array>");
    struct Case {
        const char* keys;
        int button;
        std::optional<Shortcut> stored;
        const char* alert;
    };
    const Case cases[] = {
        {"shift+cmd+l", 0, commandJ, "Used by “Open Search”."},
        {"shift+cmd+k", 0, commandJ, "keyboard_shortcut_used_by_system"},
        {"shift+cmd+k", 1, shiftCommandK, "keyboard_shortcut_used_by_system"},
        {"shift+f12", 0, commandJ, "keyboard_shortcut_used_by_system"},
        {"f12", 0, Shortcut(111, 0), nullptr},
    };
    for (const auto& test : cases) {
        name.setShortcut(commandJ);
        alertMessages.clear();
        answerAlertsWith(test.button);
        clickRecorder();
        press(test.keys);
        EXPECT_EQ(getShortcut(name), test.stored) << test.keys;
        EXPECT_EQ(alertMessages, test.alert ? std::vector<std::string>{test.alert} : std::vector<std::string>{})
            << test.keys;
        EXPECT_EQ(recording(), test.stored == commandJ) << test.keys;
        EXPECT_EQ(window->attachedSheet(), nullptr);
        if (recording()) press("escape");
    }
}

// The sandbox flag is decided once per process, so each case runs in a fresh one.
TEST_F(Recorder, AnOptionShortcutIsRefusedOnlyOnFifteenZeroAndOneInASandbox) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        int minor;
        const char* keys;
        bool refused;
    };
    for (const auto& test : {Case{1, "opt+k", true}, Case{0, "shift+opt+k", true}, Case{1, "opt+cmd+k", false},
                             Case{2, "opt+k", false}}) {
        EXPECT_EXIT(
            {
                setenv("APP_SANDBOX_CONTAINER_ID", "com.kestrelvault", 1);
                foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{15, test.minor, 3});
                answerAlertsWith(0);
                clickRecorder();
                press(test.keys);
                bool refused = getShortcut(name) == commandJ &&
                               alertMessages == std::vector<std::string>{"keyboard_shortcut_disallowed"} && recording();
                std::exit(refused ? 7 : 8);
            },
            ::testing::ExitedWithCode(test.refused ? 7 : 8), "")
            << test.keys;
    }
}

TEST_F(Recorder, TheTextFollowsTheShownNamesStoredShortcut) {
    Name other("other");
    other.setShortcut(shiftCommandK);
    EXPECT_EQ(recorder->stringValue(), "⌘J");
    recorder->setShortcutName(Name("search", shiftCommandK));
    EXPECT_EQ(recorder->stringValue(), "⌘J");
    recorder->setShortcutName(other);
    EXPECT_EQ(recorder->stringValue(), "⇧⌘K");
    name.setShortcut(std::nullopt);  // another Name
    EXPECT_EQ(recorder->stringValue(), "⇧⌘K");
    other.setShortcut(commandJ);  // made elsewhere
    EXPECT_EQ(recorder->stringValue(), "⌘J");
    recorder->setShortcutName(Name("unset"));
    EXPECT_EQ(recorder->stringValue(), "");
    EXPECT_EQ(recorder->searchCell()->cancelButtonCell(), nullptr);

    // Before 12.0 a new Name also takes the focus away, one turn later.
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{11, 6, 0});
    clickRecorder();
    recorder->setShortcutName(name);
    EXPECT_TRUE(recording());
    runUntilIdle();
    EXPECT_FALSE(recording());
}

TEST_F(Recorder, TheWindowBecomingKeyGivesTheControlNoFocusAndLosingKeyOrTheControlEndsRecording) {
    // Right as the window became key, Tab passes the control by; a turn later it stops there.
    window->makeFirstResponder(next);
    testsupport::sendKey(48, "\t");
    EXPECT_NE(next->currentEditor(), nullptr);
    runUntilIdle();
    press("tab");
    EXPECT_TRUE(recording());

    auto other = appkit::Window::create(appkit::Rect(500, 100, 200, 100), appkit::WindowStyleMask::titled);
    other->makeKeyAndOrderFront();
    EXPECT_FALSE(recording());
    EXPECT_EQ(window->firstResponder(), window);
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(recorder);
    recorder->removeFromSuperview();
    EXPECT_FALSE(isPaused());
    EXPECT_EQ(statuses.back(), false);
}

TEST(RecorderInitializers, TheUnavailableOnesStopTheProcess) {
    EXPECT_DEATH(RecorderCocoa::initWithFrame(appkit::Rect(0, 0, 130, 24)),
                 "unimplemented initializer 'initWithFrame:' for class 'GlobalShortcuts.RecorderCocoa'");
    EXPECT_DEATH(RecorderCocoa::initWithCoder(nullptr), "init\\(coder:\\) has not been implemented");
}

TEST_F(Recorder, DrawsItsThreeFaces) {
    std::vector<std::shared_ptr<appkit::Image>> faces;
    auto snap = [&](const char* file) {
        faces.push_back(render::Renderer::snapshot(*window));
        ASSERT_TRUE(render::writePNG(*faces.back(), std::string(KV_BINARY_DIR) + "/recorder-" + file + ".png"));
    };
    name.setShortcut(std::nullopt);
    snap("idle");
    clickRecorder();
    snap("recording");
    press("shift+cmd+k");
    snap("shortcut");
    // Only the field changes: its placeholder, then the shortcut with its clear button.
    EXPECT_NE(faces[0]->rgba(), faces[1]->rgba());
    EXPECT_NE(faces[1]->rgba(), faces[2]->rgba());
}

}  // namespace
