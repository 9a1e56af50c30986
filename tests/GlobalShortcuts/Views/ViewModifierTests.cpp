#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "GlobalShortcuts/Views/GlobalKeyboardShortcutViewModifier.hpp"
#include "GlobalShortcuts/Views/KeyboardShortcutEvents.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/ui/HostingView.hpp"
#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include <gtest/gtest.h>

namespace {

using namespace GlobalShortcuts;

const Shortcut commandK(40, 0x100);

// Its content while the flag is on, nothing otherwise.
class ShownWhile final : public ui::View {
public:
    ShownWhile(foundation::Observable<bool>& shown, ui::Node content) : shown_(shown), content_(std::move(content)) {
        observes(shown);
    }
    ui::Node body() override { return shown_.get() ? content_ : ui::EmptyView(); }

private:
    foundation::Observable<bool>& shown_;
    ui::Node content_;
};

class ViewModifiers : public shortcutstest::ShortcutsTest {
protected:
    void show(ui::Node root) {
        window = appkit::Window::create(appkit::Rect(0, 0, 300, 100), appkit::WindowStyleMask::titled);
        window->setContentView(ui::HostingView::create(ui::make<ShownWhile>(shown, std::move(root))));
        window->makeKeyAndOrderFront();
        runUntilIdle();
    }
    void press(const char* keys) {
        display.pressKeys(keys);
        runUntilIdle();
    }

    display::HeadlessDisplay display;
    std::shared_ptr<appkit::Window> window;
    foundation::Observable<bool> shown{true};
    int taps = 0;
};

TEST_F(ViewModifiers, AButtonAnswersTheNamesShortcutReadAgainOnItsChangesAndNoneWhileARecorderRecords) {
    Name search("search", commandK);
    disable(search);  // a live hot key would take the keys before the window
    show(globalKeyboardShortcut(ui::Button(ui::Text("Open Search"), [this] { ++taps; }), search));
    press("cmd+k");
    EXPECT_EQ(taps, 1);
    // Written behind the package's back, the shortcut is read again only when the Name's
    // change is announced.
    foundation::UserDefaults::standardUserDefaults()->setObject(
        foundation::String::make(Shortcut(37, 0x300).encodeJSON()), userDefaultsKey(search));
    postShortcutByNameDidChange(Name("other"));
    runUntilIdle();
    press("cmd+k");
    EXPECT_EQ(taps, 2);
    postShortcutByNameDidChange(search);
    runUntilIdle();
    press("cmd+k");
    press("shift+cmd+l");
    EXPECT_EQ(taps, 3);

    auto status = [](objc::Id isActive) {
        auto userInfo = foundation::Dictionary::make();
        if (isActive) userInfo->setObject(isActive, "isActive");
        return userInfo;
    };
    struct Case {
        std::shared_ptr<foundation::Dictionary> userInfo;
        bool answers;
    };
    const Case cases[] = {{status(foundation::Number::withBool(true)), false},
                          {status(foundation::Number::withBool(false)), true},
                          {status(foundation::Number::withBool(true)), false},
                          {nullptr, true},
                          {status(foundation::Number::withBool(true)), false},
                          {status(foundation::Number::withInteger(1)), true},
                          {status(foundation::Number::withBool(true)), false},
                          {status(nullptr), true}};
    for (const auto& test : cases) {
        foundation::NotificationCenter::defaultCenter()->post(recorderActiveStatusDidChange, nullptr, test.userInfo);
        runUntilIdle();
        int before = taps;
        press("shift+cmd+l");
        EXPECT_EQ(taps - before, test.answers ? 1 : 0) << (&test - cases);
    }
}

TEST_F(ViewModifiers, EventActionsRunInOrderWhileTheViewIsShown) {
    Name search("search", commandK);
    std::vector<EventType> events;
    int keyUps = 0;
    show(ui::VStack({onKeyboardShortcut(ui::Text("all"), search, [&](EventType type) { events.push_back(type); }),
                     onGlobalKeyboardShortcut(ui::Text("up"), search, EventType::keyUp, [&] { ++keyUps; })}));
    press("cmd+k");
    EXPECT_EQ(events, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(keyUps, 1);
    shown = false;
    runUntilIdle();
    EXPECT_FALSE(isRegistered(search));  // the streams ended with the view
    press("cmd+k");
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(keyUps, 1);
}

}  // namespace
