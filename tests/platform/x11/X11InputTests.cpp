#include "platform/appkit/Event.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/Window.hpp"
#include "desktop/DesktopClient.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "tests/platform/x11/X11DisplayFixture.hpp"

#include <string>
#include <vector>

namespace {

using appkit::ModifierFlags;
using appkit::Rect;

// Records the kinds of the hot-key events of the process.
std::vector<carbon::UInt32>& hotKeyEvents() {
    static std::vector<carbon::UInt32> events;
    return events;
}

carbon::OSStatus registerShiftCommandSpace(carbon::EventHotKeyRef* hotKey) {
    hotKeyEvents().clear();
    const carbon::EventTypeSpec types[] = {{carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed},
                                           {carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
    carbon::InstallEventHandler(
        carbon::GetEventDispatcherTarget(),
        [](carbon::EventHandlerCallRef, const carbon::EventRef& event, void*) {
            hotKeyEvents().push_back(carbon::GetEventKind(event));
            return carbon::noErr;
        },
        types, nullptr, nullptr);
    return carbon::RegisterEventHotKey(49, carbon::cmdKey | carbon::shiftKey, {7, 1}, carbon::GetEventDispatcherTarget(),
                                       0, hotKey);
}

const std::vector<carbon::UInt32> pressedAndReleased{carbon::kEventHotKeyPressed, carbon::kEventHotKeyReleased};

// A key window of the application, in front, whose text field has the focus; the key downs
// the application receives are kept.
class X11TypingTest : public X11DisplayTest {
protected:
    void SetUp() override {
        X11DisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        window = appkit::Window::make(Rect(200, 200, 300, 80), appkit::WindowStyleMask::titled);
        field = std::make_shared<appkit::TextField>(Rect(10, 10, 280, 22));
        window->contentView()->addSubview(field);
        window->makeKeyAndOrderFront();
        window->makeFirstResponder(field);
        monitor = appkit::Event::addLocalMonitorForEvents(appkit::eventMaskFromType(appkit::EventType::keyDown),
                                                          [this](const appkit::EventPtr& event) {
                                                              keyDowns.push_back(event);
                                                              return event;
                                                          });
        ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));
    }
    void TearDown() override {
        if (monitor) appkit::Event::removeMonitor(monitor);
        window.reset();
        X11DisplayTest::TearDown();
    }

    std::shared_ptr<appkit::Window> window;
    std::shared_ptr<appkit::TextField> field;
    std::vector<appkit::EventPtr> keyDowns;
    objc::Id monitor;
};

}  // namespace

TEST_F(X11DisplayTest, AHotKeyFiresOnDownAndUpWhateverTheLocksAndWhoeverHasTheFocus) {
    carbon::EventHotKeyRef hotKey;
    ASSERT_EQ(registerShiftCommandSpace(&hotKey), carbon::noErr);

    struct Case {
        std::vector<std::string> locks;  // toggled on before the press, off after
        std::vector<std::vector<std::string>> press;
    };
    const std::vector<Case> cases{
        {{}, {{"key", "shift+super+space"}}},
        {{"Caps_Lock"}, {{"key", "shift+super+space"}}},
        {{"Num_Lock"}, {{"key", "shift+super+space"}}},
        {{"Caps_Lock", "Num_Lock"}, {{"key", "shift+super+space"}}},
        // Released when its key goes up, though the modifiers went first.
        {{}, {{"keydown", "shift+super+space"}, {"keyup", "super"}, {"keyup", "shift"}, {"keyup", "space"}}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.locks.size() ? testCase.locks.back() : testCase.press.front().front());
        for (const auto& lock : testCase.locks) xdotool({"key", lock});
        hotKeyEvents().clear();
        for (const auto& step : testCase.press) xdotool(step);
        EXPECT_TRUE(runUntil([] { return hotKeyEvents().size() >= 2; }));
        EXPECT_EQ(hotKeyEvents(), pressedAndReleased);
        for (const auto& lock : testCase.locks) xdotool({"key", lock});
    }

    // Let go, the combination is an ordinary key of the window that has the focus.
    ASSERT_EQ(carbon::UnregisterEventHotKey(hotKey), carbon::noErr);
    auto window = appkit::Window::make(Rect(200, 200, 300, 80), appkit::WindowStyleMask::titled);
    window->makeKeyAndOrderFront();
    std::vector<std::uint16_t> keyDowns;
    auto monitor = appkit::Event::addLocalMonitorForEvents(appkit::eventMaskFromType(appkit::EventType::keyDown),
                                                           [&](const appkit::EventPtr& event) {
                                                               keyDowns.push_back(event->keyCode());
                                                               return event;
                                                           });
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));
    hotKeyEvents().clear();
    xdotool({"key", "shift+super+space"});
    EXPECT_TRUE(runUntil([&] { return !keyDowns.empty(); }));
    EXPECT_EQ(keyDowns, std::vector<std::uint16_t>{49});
    EXPECT_TRUE(hotKeyEvents().empty());
}

// With another client in front, a key typed while the hot key is still down (let go after
// it) waits for the window the hot key's release makes key, and the keys after it follow; when
// that window goes, whether it had the focus yet or not, the client in front has the keyboard
// again.
TEST_F(X11DisplayTest, KeysTypedBeforeAHotKeyIsLetGoReachTheWindowItsReleaseMakesKey) {
    auto client = desktop::DesktopClient::connect(server.name());
    ASSERT_TRUE(client) << client.error();
    auto editor = std::move(*client);
    ASSERT_TRUE(editor->showApplicationWindow("Editor", 0, 0, 400, 300));
    auto window = appkit::Window::make(Rect(200, 200, 300, 80), appkit::WindowStyleMask::titled);
    auto field = std::make_shared<appkit::TextField>(Rect(10, 10, 280, 22));
    window->contentView()->addSubview(field);
    carbon::EventHotKeyRef hotKey;
    ASSERT_EQ(registerShiftCommandSpace(&hotKey), carbon::noErr);
    const carbon::EventTypeSpec released[] = {{carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
    carbon::InstallEventHandler(
        carbon::GetEventDispatcherTarget(),
        [&](carbon::EventHandlerCallRef, const carbon::EventRef&, void*) {
            window->makeKeyAndOrderFront();
            window->makeFirstResponder(field);
            return carbon::eventNotHandledErr;
        },
        released, nullptr, nullptr);

    xdotool({"keydown", "shift+super+space", "keyup", "shift+super", "key", "d"});
    display->screenshot();  // the keys so far are read
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());  // and handled before the hot key is let go
    xdotool({"keyup", "space", "type", "ocs"});
    EXPECT_TRUE(runUntil([&] { return field->stringValue() == "docs"; })) << field->stringValue();
    window->orderOut();
    display->update();  // as before the run loop next waits
    xdotool({"key", "x"});
    EXPECT_TRUE(runUntil([&] { return editor->wasTypedIntoApplicationWindow('x'); }));
}

TEST_F(X11DisplayTest, AKeyAnotherClientHoldsIsRefusedUntilItLetsGo) {
    // Another client of the server takes Shift+Super+Space first.
    int screenNumber = 0;
    xcb_connection_t* other = xcb_connect(server.name().c_str(), &screenNumber);
    ASSERT_FALSE(xcb_connection_has_error(other));
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    const xcb_keycode_t space = 65;  // SPCE in the server's keymap
    auto grab = xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4, space, XCB_GRAB_MODE_ASYNC,
                                     XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other, grab), nullptr);

    carbon::EventHotKeyRef hotKey;
    EXPECT_EQ(registerShiftCommandSpace(&hotKey), carbon::eventHotKeyExistsErr);
    EXPECT_TRUE(carbon::EventManager::shared().registeredHotKeys().empty());

    // The server lets the grab go once it has seen the other client leave, in its own time.
    xcb_disconnect(other);
    ASSERT_TRUE(runUntil([&] { return registerShiftCommandSpace(&hotKey) == carbon::noErr; }));
    xdotool({"key", "shift+super+space"});
    EXPECT_TRUE(runUntil([] { return hotKeyEvents().size() >= 2; }));
}

TEST_F(X11TypingTest, TypedKeysReachTheKeyWindowAsThePlatformsEvents) {
    xdotool({"type", "GitHub 42"});
    EXPECT_TRUE(runUntil([&] { return field->stringValue() == "GitHub 42"; })) << field->stringValue();
    ASSERT_GE(keyDowns.size(), 2u);
    EXPECT_EQ(keyDowns[0]->keyCode(), 5);  // G, typed with shift
    EXPECT_EQ(keyDowns[0]->modifierFlags(), ModifierFlags(ModifierFlags::shift));
    EXPECT_EQ(keyDowns[0]->charactersIgnoringModifiers(), "G");

    // Super is Command and Alt is Option; they do not change what a key types.
    keyDowns.clear();
    xdotool({"key", "super+alt+a", "Left", "ctrl+a"});
    ASSERT_TRUE(runUntil([&] { return keyDowns.size() >= 3; }));
    EXPECT_EQ(keyDowns[0]->keyCode(), 0);
    EXPECT_EQ(keyDowns[0]->modifierFlags(), ModifierFlags(ModifierFlags::command | ModifierFlags::option));
    EXPECT_EQ(keyDowns[0]->characters(), "a");
    EXPECT_EQ(keyDowns[1]->specialKey(), appkit::SpecialKey::leftArrow);
    EXPECT_TRUE(keyDowns[1]->modifierFlags().contains(ModifierFlags::function | ModifierFlags::numericPad));
    EXPECT_EQ(keyDowns[2]->modifierFlags(), ModifierFlags(ModifierFlags::control));
    EXPECT_EQ(keyDowns[2]->characters(), "a");
}

// xdotool types what the layout lacks on a spare key it maps for the character, whose place
// the platform's keyboard has no code for; the character still arrives. It runs while the
// application reads events and keeps the key mapped for about half its delay, so the key is
// read while it still types the character.
TEST_F(X11TypingTest, CharactersTheLayoutLacksArriveAsTextOnAKeyWithoutACode) {
    struct Case {
        std::string typed;
        std::uint16_t keyCode;
    };
    std::string expected;
    for (const auto& [typed, keyCode] : {Case{"k", 40}, Case{"é", display::unnamedKeyCode},
                                         Case{"カ", display::unnamedKeyCode}, Case{"ー", display::unnamedKeyCode}}) {
        keyDowns.clear();
        expected += typed;
        auto typing = server.start({"xdotool", "type", "--delay", "40", typed});
        ASSERT_NE(typing, nullptr);
        EXPECT_TRUE(runUntil([&] { return field->stringValue() == expected; })) << typed << ": " << field->stringValue();
        EXPECT_TRUE(runUntil([&] { return typing->finished(); }));
        ASSERT_EQ(keyDowns.size(), 1u) << typed;
        EXPECT_EQ(keyDowns[0]->characters(), typed);
        EXPECT_EQ(keyDowns[0]->keyCode(), keyCode) << typed;
    }
}

TEST_F(X11TypingTest, TheExtraKeysOfAJapaneseKeyboardHaveTheirPlatformCodes) {
    ASSERT_EQ(server.run({"setxkbmap", "-model", "jp106", "-layout", "jp", "-variant", "OADG109A"}).status, 0);
    struct Case {
        const char* key;
        std::uint16_t keyCode;
        const char* characters;
    };
    const Case cases[] = {{"yen", 93, "¥"}, {"underscore", 94, "_"}, {"Muhenkan", 102, ""}, {"Henkan", 104, ""}};
    for (const auto& [key, keyCode, characters] : cases) xdotool({"key", key});
    ASSERT_TRUE(runUntil([&] { return keyDowns.size() >= std::size(cases); })) << keyDowns.size();
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        EXPECT_EQ(keyDowns[index]->keyCode(), cases[index].keyCode) << cases[index].key;
        EXPECT_EQ(keyDowns[index]->characters(), cases[index].characters) << cases[index].key;
    }
}

TEST_F(X11TypingTest, TabAndShiftTabMoveTheFocusAlongTheWindowsFields) {
    auto second = std::make_shared<appkit::TextField>(Rect(10, 44, 130, 22));
    auto third = std::make_shared<appkit::TextField>(Rect(150, 44, 130, 22));
    window->contentView()->addSubview(second);
    window->contentView()->addSubview(third);
    struct Case {
        const char* key;
        std::shared_ptr<appkit::TextField> from, to;
        std::string characters;
    };
    const Case cases[] = {{"Tab", field, second, "\t"}, {"shift+Tab", field, third, "\x19"}, {"shift+Tab", third, second, "\x19"}};
    for (const auto& [key, from, to, characters] : cases) {
        SCOPED_TRACE(key);
        window->makeFirstResponder(from);
        keyDowns.clear();
        xdotool({"key", key});
        EXPECT_TRUE(runUntil([&, to = to] { return to->currentEditor() != nullptr; }));
        ASSERT_EQ(keyDowns.size(), 1u);
        EXPECT_EQ(keyDowns[0]->characters(), characters);
    }
}

// Keys another client sends straight to the window are not typed, as terminal emulators hold;
// the test extension's (xdotool's) are.
TEST_F(X11TypingTest, KeysAnotherClientSendsAreNotTyped) {
    auto connected = display::X11Connection::open(server.name());
    ASSERT_TRUE(connected) << connected.error();
    auto& other = **connected;
    xcb_key_press_event_t sent{};
    sent.detail = 53;  // AB02, x in the server's keymap
    sent.root = other.root();
    sent.event = display->serverWindow(*window);
    sent.same_screen = 1;
    for (std::uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
        sent.response_type = type;
        xcb_send_event(other.get(), 0, sent.event, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&sent));
    }
    display::XReply<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(other.get(), xcb_get_input_focus(other.get()), nullptr));
    xdotool({"type", "y"});
    EXPECT_TRUE(runUntil([&] { return !keyDowns.empty() && field->stringValue().find('y') != std::string::npos; }));
    EXPECT_EQ(field->stringValue(), "y");
    EXPECT_EQ(keyDowns.size(), 1u);
}
