#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "GlobalShortcuts/Views/GlobalKeyboardShortcutViewModifier.hpp"
#include "GlobalShortcuts/Views/KeyboardShortcutEvents.hpp"
#include "GlobalShortcuts/Views/Recorder.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/HostingView.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

namespace {

using namespace GlobalShortcuts;

// The test's tree for `variant`, rebuilt at each change of it; nothing while it is 0.
struct Shown final : ui::View {
    Shown(foundation::Observable<int>& variant, std::function<ui::Node(int)> content) : variant(variant), content(content) {
        observes(variant);
    }
    ui::Node body() override { return variant.get() ? content(variant.get()) : ui::EmptyView(); }
    foundation::Observable<int>& variant;
    std::function<ui::Node(int)> content;
};

class Views : public shortcutstest::ShortcutsTest {
protected:
    void show(std::function<ui::Node(int)> content) {
        hosting = ui::HostingView::make(ui::make<Shown>(variant, std::move(content)));
        window->setContentView(hosting);
        window->makeKeyAndOrderFront();
        runUntilIdle();
    }
    void press(const char* keys) { display.pressKeys(keys), runUntilIdle(); }
    std::vector<ui::LayoutNode> find(ui::NodeKind kind) {
        std::vector<ui::LayoutNode> found;
        hosting->host()->layout(hosting->bounds()).forEach([&](const ui::LayoutNode& node) {
            if (node.kind() == kind) found.push_back(node);
        });
        return found;
    }
    std::string shortcutKey() { return find(ui::NodeKind::keyboardShortcut).at(0).data<ui::KeyboardShortcut>().key.character; }

    display::HeadlessDisplay display;
    std::shared_ptr<appkit::Window> window = appkit::Window::make(appkit::Rect(0, 0, 360, 100), appkit::WindowStyleMask::titled);
    std::shared_ptr<ui::HostingView> hosting;
    foundation::Observable<int> variant{1};
    int taps = 0;
};

TEST_F(Views, AButtonAnswersTheNamesShortcutReadAgainOnItsChangesAndNoneWhileARecorderRecords) {
    Name search("search", Shortcut(40, 0x100));
    disable(search);  // a live hot key would take the keys before the window
    show([&](int) { return globalKeyboardShortcut(ui::Button(ui::Text("Open Search"), [this] { ++taps; }), search); });
    press("cmd+k");
    // Written behind the package's back, the shortcut is read again only when the Name's
    // change is announced.
    foundation::UserDefaults::standardUserDefaults()->setObject(foundation::String::make(Shortcut(37, 0x300).encodeJSON()),
                                                                userDefaultsKey(search));
    for (const auto& announced : {Name("other"), search}) {
        postShortcutByNameDidChange(announced);
        runUntilIdle();
        press("cmd+k");
    }
    EXPECT_EQ(taps, 2);

    using foundation::Number;
    for (auto [isActive, answers] : {std::pair<objc::Id, bool>{Number::withBool(true), false}, {Number::withBool(false), true},
                                     {Number::withBool(true), false}, {nullptr, true}, {Number::withBool(true), false},
                                     {Number::withInteger(1), true}}) {
        auto userInfo = foundation::Dictionary::make();
        if (isActive) userInfo->setObject(isActive, "isActive");
        foundation::NotificationCenter::defaultCenter()->post(recorderActiveStatusDidChange, nullptr, userInfo);
        runUntilIdle();  // the view is evaluated again on the next turn
        int before = taps;
        press("shift+cmd+l");
        EXPECT_EQ(taps - before, answers);
    }
}

TEST_F(Views, EventActionsRunInOrderWhileTheViewIsShown) {
    Name search("search", Shortcut(40, 0x100));
    std::vector<EventType> events;
    show([&](int) {
        return ui::VStack({onKeyboardShortcut(ui::Text("all"), search, [&](EventType type) { events.push_back(type); }),
                           onGlobalKeyboardShortcut(ui::Text("up"), search, EventType::keyUp, [&] { ++taps; })});
    });
    press("cmd+k");
    EXPECT_EQ(events, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
    variant = 0;
    runUntilIdle();
    EXPECT_FALSE(isRegistered(search));  // the streams ended with the view
    press("cmd+k");
    EXPECT_EQ(events.size() + taps, 3u);
}

TEST_F(Views, TheRecorderStandsAloneOrBesideItsLabelAsALabelledRowFromThirteenAndAsAFormRowBefore) {
    show([](int) { return ui::make<Recorder>(Name("search")); });
    EXPECT_EQ(find(ui::NodeKind::representable).at(0).frame.width(), 130);
    EXPECT_TRUE(find(ui::NodeKind::text).empty());
    for (int major : {15, 12}) {
        foundation::ProcessInfo::setOperatingSystemVersionForTesting(foundation::OperatingSystemVersion{major, 0, 0});
        show([](int) {
            return ui::VStack({ui::make<Recorder>("Search", Name("search")),
                               ui::make<Recorder>(ui::LocalizedStringKey("Show the clipboard"), Name("clipboard"))},
                              ui::HorizontalAlignment::leading);
        });
        ASSERT_TRUE(render::writePNG(*render::Renderer::snapshot(*window),
                                     std::string(KV_BINARY_DIR) + "/recorder-rows-" + std::to_string(major) + ".png"));
        auto controls = find(ui::NodeKind::representable), labels = find(ui::NodeKind::text);
        for (int row = 0; row < 2; ++row) {
            EXPECT_LT(labels.at(row).frame.maxX(), controls.at(row).frame.minX()) << major;
            EXPECT_LT(std::abs(labels[row].frame.midY() - controls[row].frame.midY()), 6) << major;
        }
        // Labelled rows push their controls to the trailing end; form rows line them up
        // after the longest label.
        EXPECT_EQ(controls[0].frame.minX(), controls[1].frame.minX()) << major;
        EXPECT_EQ(major >= 13 ? controls[1].frame.maxX() : controls[1].frame.minX(),
                  major >= 13 ? 360 : labels[1].frame.maxX() + 8)
            << major;
    }
    int built = 0;
    Recorder(Name("search"), nullptr, [&] { return ++built, ui::Text("Search"); }).body();
    EXPECT_EQ(built, 1);  // once per value, not per evaluation
}

TEST_F(Views, TheControlLearnsNewNamesKeepsItsFirstCallableAndAShownShortcutGoesWhileItRecords) {
    Name("two").setShortcut(Shortcut(38, 0x100));
    std::vector<int> calls;
    show([&](int which) {
        Name name(which == 1 ? "one" : "two");
        return ui::VStack({ui::make<Recorder>(name, [which, &calls](std::optional<Shortcut>) { calls.push_back(which); }),
                           globalKeyboardShortcut(ui::Button(ui::Text("Open"), [] {}), name)});
    });
    auto control = std::dynamic_pointer_cast<RecorderCocoa>(find(ui::NodeKind::representable).at(0).hostedView);
    EXPECT_EQ(control->stringValue(), "");
    variant = 2;
    runUntilIdle();
    EXPECT_EQ(find(ui::NodeKind::representable).at(0).hostedView, control);
    EXPECT_EQ(control->stringValue() + shortcutKey(), "⌘Jj");
    window->makeFirstResponder(control);
    runUntilIdle();
    EXPECT_EQ(shortcutKey(), "");
    press("shift+cmd+k");
    EXPECT_EQ(calls, std::vector<int>{1});
    EXPECT_EQ(shortcutKey(), "k");
}

}  // namespace
