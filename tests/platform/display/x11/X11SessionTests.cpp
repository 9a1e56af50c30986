#include "platform/appkit/Panel.hpp"
#include "platform/appkit/StatusBar.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "tests/platform/display/x11/X11DisplayFixture.hpp"

#include <cstdlib>

namespace {

using appkit::Rect;

// Another client of the same server, with a window of its own.
class OtherClient {
public:
    explicit OtherClient(const std::string& displayName) {
        connection = xcb_connect(displayName.c_str(), nullptr);
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        window = xcb_generate_id(connection);
        const std::uint32_t events[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, 900, 100, 200, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, events);
        const char windowClass[] = "editor\0Editor";
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            sizeof windowClass, windowClass);
        xcb_map_window(connection, window);
        xcb_flush(connection);
    }
    ~OtherClient() { xcb_disconnect(connection); }

    xcb_atom_t atom(const std::string& name) {
        display::XReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.c_str()), nullptr));
        return reply->atom;
    }
    void takeFocus() {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
    xcb_window_t focus() {
        display::XReply<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        return reply->focus;
    }

    xcb_connection_t* connection;
    xcb_window_t root;
    xcb_window_t window;
};

}  // namespace

TEST_F(X11DisplayTest, FocusFollowsTheKeyWindowAndLeavingItForAnotherClientResignsIt) {
    OtherClient editor(server.name());
    editor.takeFocus();
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == "Editor"; }));

    // Untitled panels take key status only when they say so.
    struct KeyPanel : appkit::Panel {
        using appkit::Panel::Panel;
        bool canBecomeKeyWindow() const override { return true; }
    };
    auto keyPanel = appkit::Window::make<KeyPanel>(Rect(300, 300, 400, 100), appkit::WindowStyleMask::nonactivatingPanel);
    keyPanel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));

    // Gone again, the focus returns to where it was before.
    keyPanel->orderOut();
    EXPECT_TRUE(runUntil([&] { return editor.focus() == editor.window; }));

    // Focus taken away by another client makes the key window resign.
    keyPanel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));
    int resigned = 0;
    auto keyObserver = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowDidResignKeyNotification, keyPanel, nullptr, [&](const foundation::Notification&) { ++resigned; });
    editor.takeFocus();
    EXPECT_TRUE(runUntil([&] { return resigned == 1; }));
    EXPECT_FALSE(keyPanel->isKeyWindow());
    EXPECT_EQ(display->frontmostApplication(), "Editor");
}

TEST_F(X11DisplayTest, TheMenuBarExtraWaitsForATrayAndIsDockedWhenOneStarts) {
    darwin::LogCapture log;
    // The application's status item is the menu-bar extra, shown again as its icon changes.
    int clicks = 0;
    auto item = appkit::StatusBar::systemStatusBar().statusItem();
    item->setAction([&](appkit::Point) { ++clicks; });
    item->setImage(appkit::Image::filled(16, 16, 0x3366CCFF));
    EXPECT_FALSE(display->isMenuBarExtraDocked());
    EXPECT_EQ(log.entriesContaining("no system tray").size(), 1u);

    // A tray manager starts: it owns the tray selection and says so on the root window.
    OtherClient tray(server.name());
    xcb_atom_t selection = tray.atom("_NET_SYSTEM_TRAY_S0");
    xcb_set_selection_owner(tray.connection, tray.window, selection, XCB_CURRENT_TIME);
    xcb_client_message_event_t announcement{};
    announcement.response_type = XCB_CLIENT_MESSAGE;
    announcement.format = 32;
    announcement.window = tray.root;
    announcement.type = tray.atom("MANAGER");
    announcement.data.data32[1] = selection;
    announcement.data.data32[2] = tray.window;
    xcb_send_event(tray.connection, 0, tray.root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&announcement));
    xcb_flush(tray.connection);

    xcb_window_t docked = XCB_NONE;
    xcb_atom_t opcode = tray.atom("_NET_SYSTEM_TRAY_OPCODE");
    ASSERT_TRUE(runUntil([&] {
        while (auto* raw = xcb_poll_for_event(tray.connection)) {
            display::XEvent event(raw);
            const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(*event);
            if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && message.type == opcode &&
                message.data.data32[1] == 0)
                docked = message.data.data32[2];
        }
        return docked != XCB_NONE;
    }));
    EXPECT_TRUE(display->isMenuBarExtraDocked());

    // Embedded and shown by the tray, a click on the icon reaches the application.
    xcb_reparent_window(tray.connection, docked, tray.window, 4, 4);
    xcb_map_window(tray.connection, docked);
    xcb_flush(tray.connection);
    xdotool({"mousemove", "--sync", "910", "110", "click", "1"});
    EXPECT_TRUE(runUntil([&] { return clicks == 1; }));
    appkit::StatusBar::systemStatusBar().removeStatusItem(item);
    EXPECT_FALSE(display->isMenuBarExtraDocked());
}

TEST(X11DisplayChoice, AServerThatDoesNotAnswerIsSaidInOneLine) {
    const char* previous = std::getenv("DISPLAY");
    std::string saved = previous ? previous : "";
    struct Case {
        std::string name;
        std::string environment;
        std::string reason;
    };
    for (const auto& [name, environment, reason] :
         std::vector<Case>{{"", "", "DISPLAY names no X server"}, {":97", "", "the X server :97 does not answer"},
                           {"", ":98", "the X server :98 does not answer"}}) {
        ::setenv("DISPLAY", environment.c_str(), 1);
        std::string failure;
        EXPECT_FALSE(display::X11Display::connect(name, failure));
        EXPECT_EQ(failure, reason);
    }
    ::setenv("DISPLAY", saved.c_str(), 1);
}
