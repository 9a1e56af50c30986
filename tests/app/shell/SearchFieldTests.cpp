#include "app/shell/SearchField.hpp"
#include "app/shell/SearchFieldCoordinator.hpp"
#include "platform/appkit/FieldEditor.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/SystemBeep.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/ui/HostingView.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kestrelvault::CustomSearchField;
using kestrelvault::SearchField;

namespace {

class SearchFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::Clock::installManual();
        fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}}, fixtures::Resources::application);
        fixtures::preferLanguage("en");
    }

    // The field in a key window, as the search panel hosts it.
    void showField() {
        window = appkit::Window::make(appkit::Rect(0, 0, 600, 60), appkit::WindowStyleMask::titled);
        hosting = ui::HostingView::make(ui::representable(makeSearchField()).frame(std::nullopt, 30.0));
        window->setContentView(hosting);
        window->makeKeyAndOrderFront();
        settle();
    }

    std::shared_ptr<SearchField> makeSearchField() {
        auto record = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
        ui::Binding<std::string> binding([this] { return query; },
                                         [this](const std::string& text) {
                                             query = text;
                                             writes.push_back(text);
                                         });
        return std::make_shared<SearchField>(binding, record("down"), record("up"), record("escape"), record("return"),
                                             record("copyURL"), record("copyMarkdown"));
    }

    std::shared_ptr<CustomSearchField> field() const {
        return std::dynamic_pointer_cast<CustomSearchField>(hosting->subviews().at(0));
    }
    std::shared_ptr<appkit::FieldEditor> editor() const { return field()->currentEditor(); }
    void press(const std::string& keys) {
        display.pressKeys(keys);
        settle();
    }
    void type(const std::string& text) {
        for (char character : text) press(std::string(1, character));
    }
    static void settle() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }
    std::optional<std::string> pasteboard() const {
        return appkit::Pasteboard::generalPasteboard()->stringForType(appkit::NSPasteboardTypeString);
    }

    display::HeadlessDisplay display;
    std::string query;
    std::vector<std::string> writes;
    std::vector<std::string> calls;
    std::shared_ptr<appkit::Window> window;
    std::shared_ptr<ui::HostingView> hosting;
};

}  // namespace

TEST_F(SearchFieldTest, EveryKeystrokeWritesTheQueryAtOnce) {
    showField();
    type("git");
    press("delete");
    EXPECT_EQ(writes, (std::vector<std::string>{"g", "gi", "git", "gi"}));
    EXPECT_EQ(query, "gi");
}

TEST_F(SearchFieldTest, TheFieldIsSetUpAsThePanelExpects) {
    showField();
    auto shown = field();
    EXPECT_EQ(shown->font(), appkit::Font::systemFontOfSize(24));
    EXPECT_FALSE(shown->isBordered());
    EXPECT_FALSE(shown->drawsBackground());
    EXPECT_EQ(shown->focusRingType(), appkit::FocusRingType::none);
    EXPECT_FALSE(shown->cell()->sendsActionOnEndEditing());
    EXPECT_EQ(shown->placeholderString(), "Search bookmarks");
    EXPECT_EQ(shown->frame().height(), 30);
}

TEST_F(SearchFieldTest, ThePlaceholderFallsBackWhenTheStringTableLacksTheKey) {
    fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}}, fixtures::Resources::none);
    showField();
    EXPECT_EQ(field()->placeholderString(), "ブックマーク検索");
}

TEST_F(SearchFieldTest, TheFieldAsksForFocusOneMainQueueTurnAfterItIsMade) {
    window = appkit::Window::make(appkit::Rect(0, 0, 600, 60), appkit::WindowStyleMask::titled);
    hosting = ui::HostingView::make(ui::representable(makeSearchField()));
    window->setContentView(hosting);
    window->makeKeyAndOrderFront();
    EXPECT_EQ(editor(), nullptr);
    settle();
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(window->firstResponder(), editor());
}

TEST_F(SearchFieldTest, AFieldWithoutAWindowDoesNotTakeFocus) {
    hosting = ui::HostingView::make(ui::representable(makeSearchField()));
    settle();
    EXPECT_EQ(field()->window(), nullptr);
    EXPECT_EQ(editor(), nullptr);
}

struct CopyCase {
    const char* keys;
    bool selectText;
    std::vector<std::string> calls;
    std::optional<std::string> pasteboard;
};

TEST_F(SearchFieldTest, CommandCCopiesASelectionOrTheResultAndModifiedCopiesAreNotTakenOver) {
    const std::vector<CopyCase> cases = {
        {"cmd+c", true, {}, "ith"},
        {"cmd+c", false, {"copyURL"}, std::nullopt},
        {"capslock+cmd+c", true, {}, "ith"},
        {"capslock+cmd+c", false, {}, std::nullopt},
        {"opt+cmd+c", true, {}, std::nullopt},
        {"ctrl+cmd+c", false, {}, std::nullopt},
        {"shift+cmd+c", true, {"copyMarkdown"}, std::nullopt},
        {"shift+cmd+c", false, {"copyMarkdown"}, std::nullopt},
    };
    showField();
    type("github");
    for (const auto& scenario : cases) {
        appkit::Pasteboard::resetForTesting();
        calls.clear();
        editor()->setSelectedRange(scenario.selectText ? appkit::TextRange{1, 3} : appkit::TextRange{6, 0});
        press(scenario.keys);
        EXPECT_EQ(calls, scenario.calls) << scenario.keys << (scenario.selectText ? " with" : " without") << " a selection";
        EXPECT_EQ(pasteboard(), scenario.pasteboard) << scenario.keys;
        EXPECT_EQ(query, "github") << scenario.keys;
    }
}

TEST_F(SearchFieldTest, ArrowsWithAnyModifiersAndTheEditorsMoveCommandsMoveTheSelection) {
    showField();
    type("a");
    for (const char* keys : {"up", "shift+up", "cmd+up", "opt+ctrl+up"}) {
        calls.clear();
        press(keys);
        EXPECT_EQ(calls, (std::vector<std::string>{"up"})) << keys;
    }
    for (const char* keys : {"down", "shift+down", "cmd+opt+down"}) {
        calls.clear();
        press(keys);
        EXPECT_EQ(calls, (std::vector<std::string>{"down"})) << keys;
    }
    calls.clear();
    press("ctrl+p");  // bound to moveUp: by the field editor
    press("ctrl+n");
    editor()->doCommandBySelector("moveDown:");
    EXPECT_EQ(calls, (std::vector<std::string>{"up", "down", "down"}));
}

TEST_F(SearchFieldTest, ReturnAndEscapeArriveThroughTheFieldEditorsCommands) {
    showField();
    type("x");
    press("return");
    press("escape");
    EXPECT_EQ(calls, (std::vector<std::string>{"return", "escape"}));
}

TEST_F(SearchFieldTest, TabAndOtherCommandsKeepTheirTextBehaviour) {
    showField();
    type("abc");
    press("tab");  // the only field: it keeps the focus with its text selected
    press("right");
    press("delete");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(query, "ab");
}

TEST_F(SearchFieldTest, AnUpdateWithAnEqualQueryLeavesTheCaretAndAChangedOneReplacesTheText) {
    showField();
    type("abc");
    press("left");
    ASSERT_EQ(editor()->selectedRange(), (appkit::TextRange{2, 0}));
    hosting->host()->setRoot(ui::representable(makeSearchField()).frame(std::nullopt, 30.0));
    EXPECT_EQ(editor()->selectedRange(), (appkit::TextRange{2, 0}));

    query = "";
    hosting->host()->setRoot(ui::representable(makeSearchField()).frame(std::nullopt, 30.0));
    EXPECT_EQ(field()->stringValue(), "");
    EXPECT_EQ(writes, (std::vector<std::string>{"a", "ab", "abc"}));
}

TEST_F(SearchFieldTest, TheCoordinatorAlwaysRunsTheLatestCallbacks) {
    showField();
    std::vector<std::string> latest;
    auto updated = makeSearchField();
    updated->onReturn = [&] { latest.push_back("new return"); };
    hosting->host()->setRoot(ui::representable(updated).frame(std::nullopt, 30.0));
    press("return");
    EXPECT_EQ(latest, (std::vector<std::string>{"new return"}));
    EXPECT_TRUE(calls.empty());
}

TEST_F(SearchFieldTest, TheCopyKeysIgnoreTheDeviceDependentModifierBits) {
    showField();
    type("github");
    // As the platform reports the left Command (0x8) and left Shift (0x2) keys.
    testsupport::sendKey(8, "c", 0x100108);
    testsupport::sendKey(8, "c", 0x12010A, "c");
    settle();
    EXPECT_EQ(calls, (std::vector<std::string>{"copyURL", "copyMarkdown"}));
}

TEST_F(SearchFieldTest, AKeyUpIsNotTakenOver) {
    showField();
    appkit::Event::KeyDetails details;
    details.characters = details.charactersIgnoringModifiers = "c";
    details.keyCode = 8;
    for (auto flags : {0x100000u, 0x120000u}) {
        auto keyUp = appkit::Event::keyEvent(appkit::EventType::keyUp, {}, appkit::ModifierFlags(flags), 0, 0, details);
        EXPECT_FALSE(field()->performKeyEquivalent(keyUp)) << flags;
    }
    details.keyCode = 126;
    details.characters = details.charactersIgnoringModifiers = "\uF700";
    EXPECT_FALSE(field()->performKeyEquivalent(
        appkit::Event::keyEvent(appkit::EventType::keyUp, {}, appkit::ModifierFlags(0), 0, 0, details)));
    EXPECT_TRUE(calls.empty());
}

TEST_F(SearchFieldTest, KeysForTheCallbacksStayHandledWhenACallbackIsEmpty) {
    window = appkit::Window::make(appkit::Rect(0, 0, 600, 60), appkit::WindowStyleMask::titled);
    auto binding = ui::Binding<std::string>::constant("");
    hosting = ui::HostingView::make(
        ui::representable(std::make_shared<SearchField>(binding, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)));
    window->setContentView(hosting);
    window->makeKeyAndOrderFront();
    settle();
    type("abc");
    editor()->setSelectedRange({1, 0});
    appkit::resetBeepCountForTesting();
    // Each would move the caret, select the text, beep or copy if it went on to the editor.
    for (const char* keys : {"up", "down", "shift+up", "ctrl+p", "return", "escape", "cmd+c", "shift+cmd+c"}) {
        press(keys);
        EXPECT_EQ(editor()->selectedRange(), (appkit::TextRange{1, 0})) << keys;
        EXPECT_EQ(appkit::beepCount(), 0) << keys;
        editor()->setSelectedRange({1, 0});
    }
    EXPECT_EQ(pasteboard(), std::nullopt);
    EXPECT_EQ(field()->stringValue(), "abc");
}

TEST_F(SearchFieldTest, WithoutACoordinatorTheTakenKeysAreStillHandled) {
    window = appkit::Window::make(appkit::Rect(0, 0, 600, 60), appkit::WindowStyleMask::titled);
    auto bare = std::make_shared<CustomSearchField>(appkit::Rect(0, 0, 600, 30));
    window->contentView()->addSubview(bare);
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(bare);
    type("abc");
    bare->currentEditor()->setSelectedRange({1, 0});
    appkit::resetBeepCountForTesting();
    for (const char* keys : {"up", "cmd+down", "cmd+c", "shift+cmd+c"}) {
        press(keys);
        EXPECT_EQ(bare->currentEditor()->selectedRange(), (appkit::TextRange{1, 0})) << keys;
    }
    EXPECT_EQ(appkit::beepCount(), 0);
    EXPECT_EQ(pasteboard(), std::nullopt);
}

