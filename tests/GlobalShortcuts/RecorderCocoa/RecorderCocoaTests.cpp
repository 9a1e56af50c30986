#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/RecorderCocoa/RecorderCocoa.hpp"
#include "GlobalShortcuts/ResourceBundle.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/appkit/Alert.hpp"
#include "platform/appkit/Button.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/TextLayout.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"
#include "tests/support/PlatformSettings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace GlobalShortcuts;
using Changes = std::vector<std::optional<Shortcut>>;

const Shortcut commandJ(38, 0x100), shiftCommandK(40, 0x300);

// A Settings-like window: the recorder for "search" (stored ⌘J) above a text field. Alerts
// are answered as a person would once they are up: Return for the first button, a click
// for another.
class Recorder : public shortcutstest::ShortcutsTest {
protected:
    void SetUp() override {
        ShortcutsTest::SetUp();
        std::ofstream(foundation::Bundle::mainBundle()->resourcePath() / resourceBundleName / "en.lproj/Localizable.strings")
            << testsupport::xmlPropertyList("<key>keyboard_shortcut_used_by_menu_item</key><string>Used by “%@”.</string>");
        name.setShortcut(commandJ);
        recorder = RecorderCocoa::make(name, [this](std::optional<Shortcut> shortcut) { changes.push_back(shortcut); });
        recorder->setFrameOrigin({20, 60});
        window->contentView()->addSubview(recorder);
        window->contentView()->addSubview(next);
        window->makeKeyAndOrderFront();
        observe(recorderActiveStatusDidChange, [this](const auto& note) {
            statuses.push_back(objc::as<foundation::Number>(note.userInfo->objectForKey("isActive"))->boolValue());
        });
        observe(appkit::NSWindowDidBecomeKeyNotification, [this](const auto&) {
            auto alert = appkit::Alert::frontmostAlert();
            if (!alert) return;
            alerts.push_back(alert->messageText());
            dispatch::mainQueue()->async([this, alert] {
                if (answer == 0) return display.pressKeys("return");
                display.click(alert->buttons().at(answer)->convertPointToView({10, 10}, nullptr));
            });
        });
    }
    void observe(const char* notification, std::function<void(const foundation::Notification&)> block) {
        tokens.push_back(foundation::NotificationCenter::defaultCenter()->addObserver(notification, nullptr, nullptr, block));
    }
    void press(const char* keys) { display.pressKeys(keys), runUntilIdle(); }
    void click(appkit::Point location) { display.click(location), runUntilIdle(); }
    bool recording() const { return recorder->placeholderString() == "press_shortcut" && isPaused(); }

    display::HeadlessDisplay display;
    Name name{"search"};
    std::shared_ptr<appkit::Window> window = appkit::Window::make(appkit::Rect(100, 100, 300, 100), appkit::WindowStyleMask::titled);
    std::shared_ptr<RecorderCocoa> recorder;
    std::shared_ptr<appkit::TextField> next = std::make_shared<appkit::TextField>(appkit::Rect(20, 20, 200, 22));
    const appkit::Point inside{80, 72};
    Changes changes;
    std::vector<bool> statuses;
    std::vector<std::string> alerts;
    std::size_t answer = 0;
    std::vector<std::unique_ptr<foundation::NotificationToken>> tokens;
};

// Draws each face into the build folder: idle, recording, showing the new shortcut.
TEST_F(Recorder, ARecordedShortcutIsStoredShownAndLiveAtOnceWhileNoHotKeyRunsDuringRecording) {
    int presses = 0;
    onKeyUp(Name("toggleSearch", Shortcut(Key::space, appkit::ModifierFlags(0x120000))), [&] { ++presses; });
    onKeyDown(name, [&] { ++presses; });
    name.setShortcut(std::nullopt);
    std::vector<std::vector<std::uint8_t>> faces;
    for (const char* face : {"idle", "recording", "shortcut"}) {
        auto image = render::Renderer::snapshot(*window);
        ASSERT_TRUE(render::writePNG(*image, std::string(KV_BINARY_DIR) + "/recorder-" + face + ".png"));
        faces.push_back(image->rgba());
        if (faces.size() == 1) click(inside);
        if (faces.size() == 2) {
            EXPECT_TRUE(recording());
            press("shift+cmd+space");
            press("shift+cmd+k");
        }
    }
    EXPECT_TRUE(faces[0] != faces[1] && faces[1] != faces[2]);
    EXPECT_EQ(getShortcut(name), shiftCommandK);
    EXPECT_EQ(changes, Changes{shiftCommandK});
    EXPECT_EQ(recorder->stringValue() + recorder->placeholderString(), "⇧⌘Krecord_shortcut");
    EXPECT_EQ(presses, 0);
    press("shift+cmd+space");
    press("shift+cmd+k");
    EXPECT_EQ(presses, 2);
}

TEST_F(Recorder, EachKeyIsJudgedByTheRulesInOrder) {
    using Case = std::tuple<const char*, std::optional<Shortcut>, int, bool, std::string>;  // keys, stored, beeps, records on, text
    for (auto [keys, stored, beeps, recordsOn, text] :
         {Case{"escape", commandJ, 0, false, "⌘J"}, Case{"a", commandJ, 1, true, "⌘J"}, Case{"shift+a", commandJ, 1, true, "⌘J"},
          Case{"home", commandJ, 1, true, "⌘J"}, Case{"f5", Shortcut(96, 0), 0, false, "F5"},
          Case{"shift+f5", Shortcut(96, 0x200), 0, false, "⇧F5"}, Case{"opt+k", Shortcut(40, 0x800), 0, false, "⌥K"},
          Case{"delete", std::nullopt, 0, true, ""}, Case{"forwarddelete", std::nullopt, 0, true, ""},
          Case{"cmd+code:65535", commandJ, 1, true, "⌘J"}, Case{"tab", commandJ, 0, false, "⌘J"}}) {
        name.setShortcut(commandJ);
        changes.clear();
        appkit::resetBeepCountForTesting();
        click(inside);
        press(keys);
        if (!stored) press("delete");  // on an empty field: nothing, not even a beep
        EXPECT_EQ(getShortcut(name), stored) << keys;
        EXPECT_EQ(appkit::beepCount(), beeps) << keys;
        EXPECT_EQ(recording(), recordsOn) << keys;
        EXPECT_EQ(recorder->stringValue(), text) << keys;
        EXPECT_EQ(recorder->searchCell()->cancelButtonCell() != nullptr, !text.empty()) << keys;
        EXPECT_EQ(changes, stored == commandJ ? Changes{} : Changes{stored}) << keys;
        if (recording()) press("escape");
    }
    ASSERT_NE(next->currentEditor(), nullptr);  // Tab moved the focus on
    EXPECT_EQ(next->currentEditor()->insertionPointColor(), appkit::Color::labelColor());  // with its caret showing
}

TEST_F(Recorder, ClicksAwayEndRecordingAndReachTheirTargetWhileClicksCloseByAndOnTheClearButtonDoNot) {
    int taps = 0;
    auto button = std::make_shared<appkit::Button>("Go", [&] { ++taps; });
    button->setFrame(appkit::Rect(160, 60, 60, 24));
    window->contentView()->addSubview(button);
    click(inside);
    click({20 + 130 + 2, 72});
    EXPECT_TRUE(recording());
    click({170, 72});
    EXPECT_EQ(recording() + taps, 1);
    click(inside);
    click({20 + 130 - 12, 72});  // the clear button
    EXPECT_EQ(changes, Changes{std::nullopt});
    EXPECT_TRUE(recording());
}

TEST_F(Recorder, RefusedShortcutsShowAnAlertStoreNothingAndRecordAgainUnlessTheSystemsIsForced) {
    auto file = appkit::MenuItem::make("File");
    file->setSubmenu(appkit::Menu::make("File"));
    file->submenu()->addItem(appkit::MenuItem::make("Open Search", nullptr, "L"));
    appkit::Application::shared()->setMainMenu(appkit::Menu::make());
    appkit::Application::shared()->mainMenu()->addItem(file);
    std::string hotKeys;
    for (auto [code, modifiers] : {std::pair{40, 0x300}, {111, 0}, {111, 0x200}})
        hotKeys += "<dict><key>kHISymbolicHotKeyEnabled</key><true/><key>kHISymbolicHotKeyCode</key><integer>" +
                   std::to_string(code) + "</integer><key>kHISymbolicHotKeyModifiers</key><integer>" +
                   std::to_string(modifiers) + "</integer></dict>";
    setPlatformSettings("com.apple.keylayout.US", "<key>KVSymbolicHotKeys</key><array>" + hotKeys + "</array>");
    const char* system = "keyboard_shortcut_used_by_system";
    using Case = std::tuple<const char*, std::size_t, Shortcut, std::vector<std::string>>;
    for (auto [keys, button, stored, alert] :
         {Case{"shift+cmd+l", 0, commandJ, {"Used by “Open Search”."}}, Case{"shift+cmd+k", 0, commandJ, {system}},
          Case{"shift+cmd+k", 1, shiftCommandK, {system}}, Case{"shift+f12", 0, commandJ, {system}},
          Case{"f12", 0, Shortcut(111, 0), {}}}) {
        name.setShortcut(commandJ);
        alerts.clear();
        answer = button;
        click(inside);
        press(keys);
        EXPECT_EQ(getShortcut(name), stored) << keys;
        EXPECT_EQ(alerts, alert) << keys;
        EXPECT_EQ(recording(), stored == commandJ) << keys;
        if (recording()) press("escape");
    }
}

// The package's own texts, in each of its languages, show whole in the refusals' alerts (the
// menu item's title among them), laid out as the renderer lays out the alert's labels.
TEST_F(Recorder, TheRefusalsShowTheirWholeTextsInEveryLanguage) {
    auto bundle = foundation::Bundle::mainBundle()->resourcePath() / resourceBundleName;
    std::filesystem::copy(std::filesystem::path(KV_SOURCE_DIR) / "app/resources/Resources" / resourceBundleName, bundle,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    resetResourceBundleForTesting();
    appkit::Application::shared()->setMainMenu(appkit::Menu::make());
    appkit::Application::shared()->mainMenu()->addItem(appkit::MenuItem::make("Quit Kestrelvault", nullptr, "q"));
    auto fitsIn = [](const appkit::TextField& label, const std::string& text) {
        ui::TextLayout layout(text, {label.font(), label.frame().width() - 4, std::nullopt, ui::TextAlignment::center});
        return layout.lineCount() <= label.maximumNumberOfLines() && layout.size().height <= label.frame().height();
    };
    std::shared_ptr<appkit::TextField> messageLabel;
    observe(appkit::NSWindowDidBecomeKeyNotification, [&](const auto&) {
        auto alert = appkit::Alert::frontmostAlert();
        for (const auto& view : alert ? alert->window()->contentView()->subviews() : std::vector<std::shared_ptr<appkit::View>>{})
            if (auto label = std::dynamic_pointer_cast<appkit::TextField>(view)) {
                if (label->stringValue() == alert->messageText()) messageLabel = label;
                EXPECT_TRUE(fitsIn(*label, label->stringValue())) << label->stringValue();
            }
    });
    for (std::string language : {"en", "ja"}) {
        setPlatformSettings("com.apple.keylayout.US",
                            "<key>AppleLanguages</key><array><string>" + language +
                                "</string></array><key>KVSymbolicHotKeys</key><array><dict><key>kHISymbolicHotKeyEnabled</key>"
                                "<true/><key>kHISymbolicHotKeyCode</key><integer>40</integer><key>kHISymbolicHotKeyModifiers"
                                "</key><integer>768</integer></dict></array>");
        alerts.clear();
        for (const char* keys : {"cmd+q", "shift+cmd+k"}) {
            click(inside);
            press(keys);
            press("escape");
        }
        ASSERT_EQ(alerts.size(), 2u) << language;
        EXPECT_NE(alerts[0].find("Quit Kestrelvault"), std::string::npos) << language;
        EXPECT_TRUE(fitsIn(*messageLabel, localizedString("keyboard_shortcut_disallowed"))) << language;
    }
}

// The sandbox flag is decided once per process, so each case runs in a fresh one.
TEST_F(Recorder, AnOptionShortcutIsRefusedOnlyOnFifteenZeroAndOneInASandbox) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (auto [minor, keys, refused] : {std::tuple{1, "opt+k", true}, {0, "shift+opt+k", true}, {1, "opt+cmd+k", false},
                                        {2, "opt+k", false}})
        EXPECT_EXIT(
            {
                setenv("APP_SANDBOX_CONTAINER_ID", "com.kestrelvault", 1);
                foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{15, minor, 3});
                click(inside);
                press(keys);
                std::exit(getShortcut(name) == commandJ && alerts.size() == 1 && recording() ? 7 : 8);
            },
            ::testing::ExitedWithCode(refused ? 7 : 8), "")
            << keys;
}

TEST_F(Recorder, TheTextFollowsItsOwnNameAndTheFocusComesOnlyWhenAskedAndGoesWithTheKeyWindowOrTheWindow) {
    recorder->setShortcutName(Name("search", shiftCommandK));  // the same Name
    Name("other").setShortcut(shiftCommandK);                 // another Name
    EXPECT_EQ(recorder->stringValue(), "⌘J");
    // Right as the window became key, Tab passes the control by; a turn later it stops there.
    window->makeFirstResponder(next);
    testsupport::sendKey(48, "\t");
    EXPECT_NE(next->currentEditor(), nullptr);
    runUntilIdle();
    press("tab");
    EXPECT_TRUE(recording());
    appkit::Window::make(appkit::Rect(500, 100, 200, 100), appkit::WindowStyleMask::titled)->makeKeyAndOrderFront();
    EXPECT_EQ(window->firstResponder(), window);
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(recorder);
    // Before 12.0 a new Name also takes the focus away, one turn later.
    foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{11, 6, 0});
    recorder->setShortcutName(Name("other"));
    EXPECT_TRUE(recording());
    runUntilIdle();
    EXPECT_FALSE(recording());
    window->makeFirstResponder(recorder);
    recorder->removeFromSuperview();
    EXPECT_FALSE(isPaused());
    EXPECT_EQ(statuses, (std::vector<bool>{true, false, false, true, false, true, false, false}));
}

// Another recorder in the window, idle, goes away (as a view update takes it) while the
// first records: the first's pause and announcement stand.
TEST_F(Recorder, AnIdleRecorderLeavingItsWindowDoesNotEndAnotherOnesRecording) {
    int presses = 0;
    onKeyDown(Name("toggleSearch", Shortcut(Key::space, appkit::ModifierFlags(0x120000))), [&] { ++presses; });
    auto other = RecorderCocoa::make(Name("other"));
    other->setFrameOrigin({160, 60});
    window->contentView()->addSubview(other);
    click(inside);
    other->removeFromSuperview();
    press("shift+cmd+space");
    EXPECT_EQ(presses, 0);
    EXPECT_TRUE(recording());
    EXPECT_EQ(statuses, std::vector<bool>{true});
    press("escape");
    press("shift+cmd+space");
    EXPECT_EQ(presses, 1);
}

// While a refusal is shown the control is idle, so the application's own shortcut may run
// and close the window (as the search panel closes the Settings window). Answered then, the
// alert leaves the control idle: nothing records unseen, and the shortcut works on.
TEST_F(Recorder, AfterARefusalTheControlRecordsAgainOnlyInAWindowStillShown) {
    appkit::Application::shared()->setMainMenu(appkit::Menu::make());
    appkit::Application::shared()->mainMenu()->addItem(appkit::MenuItem::make("Open Search", nullptr, "L"));
    int presses = 0;
    onKeyUp(Name("toggleSearch", Shortcut(Key::space, appkit::ModifierFlags(0x120000))), [&] { ++presses, window->close(); });
    tokens.clear();
    observe(appkit::NSWindowDidBecomeKeyNotification, [this](const auto&) {
        if (appkit::Alert::frontmostAlert() && window->isVisible())
            dispatch::mainQueue()->async([this] { display.pressKeys("shift+cmd+space"), display.pressKeys("return"); });
    });
    click(inside);
    press("shift+cmd+l");
    EXPECT_EQ(presses, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(recording() || isPaused());
    press("shift+cmd+space");
    EXPECT_EQ(presses, 2);
}

TEST(RecorderInitializers, TheUnavailableOnesStopTheProcess) {
    EXPECT_DEATH(RecorderCocoa::initWithFrame(appkit::Rect(0, 0, 130, 24)), "unimplemented initializer 'initWithFrame:'");
    EXPECT_DEATH(RecorderCocoa::initWithCoder(nullptr), "init\\(coder:\\) has not been implemented");
}

}  // namespace
