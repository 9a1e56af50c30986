#include "desktop/DesktopClient.hpp"
#include "platform/appkit/Menu.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/appkit/StatusBar.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "platform/ui/MenuWindow.hpp"
#include "tests/platform/x11/X11DisplayFixture.hpp"

#include <cstdlib>
#include <filesystem>

namespace {

using appkit::Rect;

// Another client of the same server, with a window of its own of the application class.
std::unique_ptr<desktop::DesktopClient> otherClient(const std::string& displayName, const std::string& applicationClass,
                                                    int x) {
    auto client = desktop::DesktopClient::connect(displayName);
    if (!client) {
        ADD_FAILURE() << client.error();
        return nullptr;
    }
    EXPECT_TRUE((*client)->showApplicationWindow(applicationClass, x, 100, 200, 200));
    return std::move(*client);
}

// A system tray that another client of the same server starts.
std::unique_ptr<desktop::DesktopClient> startTray(
    const std::string& displayName,
    desktop::DesktopClient::TrayIconSizing sizing = desktop::DesktopClient::TrayIconSizing::imposed) {
    auto client = desktop::DesktopClient::connect(displayName);
    if (!client) {
        ADD_FAILURE() << client.error();
        return nullptr;
    }
    EXPECT_TRUE((*client)->startSystemTray(sizing));
    return std::move(*client);
}

// Untitled panels take key status only when they say so.
struct KeyPanel : appkit::Panel {
    using appkit::Panel::Panel;
    bool canBecomeKeyWindow() const override { return true; }
};

}  // namespace

TEST_F(X11DisplayTest, FocusFollowsTheKeyWindowAndLeavingItForAnotherClientResignsIt) {
    auto editor = otherClient(server.name(), "Editor", 900);
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == "Editor"; }));

    auto keyPanel = appkit::Window::make<KeyPanel>(Rect(300, 300, 400, 100), appkit::WindowStyleMask::nonactivatingPanel);
    keyPanel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));

    // Gone again, the focus returns to where it was before.
    keyPanel->orderOut();
    EXPECT_TRUE(runUntil([&] { return editor->focus() == editor->applicationWindow(); }));

    // Focus taken away by another client makes the key window resign.
    keyPanel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));
    int resigned = 0;
    auto keyObserver = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowDidResignKeyNotification, keyPanel, nullptr, [&](const foundation::Notification&) { ++resigned; });
    editor->focusApplicationWindow();
    EXPECT_TRUE(runUntil([&] { return resigned == 1; }));
    EXPECT_FALSE(keyPanel->isKeyWindow());
    EXPECT_EQ(display->frontmostApplication(), "Editor");
}

TEST_F(X11DisplayTest, FocusOnItsWayFromOneWindowOfTheApplicationToAnotherKeepsItActive) {
    auto editor = otherClient(server.name(), "Editor", 900);
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == "Editor"; }));
    // The editor's client is also the window manager, one that activates windows when told.
    auto& manager = editor->connection();
    const xcb_window_t check = editor->applicationWindow();
    xcb_change_property(manager.get(), XCB_PROP_MODE_REPLACE, manager.root(), manager.atom("_NET_SUPPORTING_WM_CHECK"),
                        XCB_ATOM_WINDOW, 32, 1, &check);
    auto first = appkit::Window::make<KeyPanel>(Rect(100, 300, 300, 100), appkit::WindowStyleMask::nonactivatingPanel);
    first->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return editor->focus() == display->serverWindow(*first); }));
    auto second = appkit::Window::make(Rect(100, 100, 300, 100), appkit::WindowStyleMask::titled);
    int resigned = 0;
    auto keyObserver = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowDidResignKeyNotification, second, nullptr, [&](const foundation::Notification&) { ++resigned; });
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    pasteboard->setString("held", appkit::NSPasteboardTypeString);

    // One window closes as another becomes key: the notice of the focus leaving the first
    // comes before the window manager gives the second one the focus. The clipboard taken
    // after it marks when the display has read it.
    first->close();
    second->makeKeyAndOrderFront();
    display->update();
    const auto changes = pasteboard->changeCount();
    xcb_set_selection_owner(manager.get(), check, manager.atom("CLIPBOARD"), XCB_CURRENT_TIME);
    manager.flush();
    ASSERT_TRUE(runUntil([&] { return pasteboard->changeCount() > changes; }));
    EXPECT_TRUE(second->isKeyWindow());
    EXPECT_TRUE(appkit::Application::shared()->isActive());
    xcb_set_input_focus(manager.get(), XCB_INPUT_FOCUS_PARENT, display->serverWindow(*second), XCB_CURRENT_TIME);
    manager.flush();
    EXPECT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));
    EXPECT_TRUE(second->isKeyWindow());
    EXPECT_EQ(resigned, 0);

    // Focus another client really takes still makes the key window resign.
    editor->focusApplicationWindow();
    EXPECT_TRUE(runUntil([&] { return resigned == 1; }));
    EXPECT_EQ(display->frontmostApplication(), "Editor");
}

// The application activates another client and at once makes its panel key again (hidden and
// shown again before the display has read that the focus left): the panel keeps key status
// and gets the focus back.
TEST_F(X11DisplayTest, APanelMadeKeyAgainRightAfterTheApplicationGaveTheFocusAwayGetsItBack) {
    auto editor = otherClient(server.name(), "Editor", 900);
    auto keyPanel = appkit::Window::make<KeyPanel>(Rect(300, 300, 400, 100), appkit::WindowStyleMask::nonactivatingPanel);
    appkit::Application::shared()->activate();
    keyPanel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return editor->focus() == display->serverWindow(*keyPanel); }));

    appkit::RunningApplication::withBundleIdentifier("Editor")->activate();
    appkit::Application::shared()->activate();
    keyPanel->makeKeyAndOrderFront();
    EXPECT_TRUE(runUntil([&] { return editor->focus() == display->serverWindow(*keyPanel); }));
    EXPECT_TRUE(keyPanel->isKeyWindow());
}

TEST_F(X11DisplayTest, TheSessionFollowsOtherClientsAndActivatingOneFocusesItsWindow) {
    // Started while another client has the focus, the application is not in front.
    auto editor = otherClient(server.name(), "Editor", 700);
    display.reset();
    auto connected = display::X11Display::connect(server.name());
    ASSERT_TRUE(connected) << connected.error();
    display = std::move(*connected);
    EXPECT_EQ(appkit::RunningApplication::frontmostApplication()->bundleIdentifier(), "Editor");

    // The focus went to another client meanwhile: a hot key finds that one in front.
    auto terminal = otherClient(server.name(), "Terminal", 950);
    static std::string frontmostAtHotKey;
    const carbon::EventTypeSpec pressed[] = {{carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed}};
    carbon::InstallEventHandler(
        carbon::GetEventDispatcherTarget(),
        [](carbon::EventHandlerCallRef, const carbon::EventRef&, void*) {
            frontmostAtHotKey = appkit::RunningApplication::frontmostApplication()->bundleIdentifier();
            return carbon::noErr;
        },
        pressed, nullptr, nullptr);
    carbon::EventHotKeyRef hotKey;
    ASSERT_EQ(carbon::RegisterEventHotKey(49, carbon::cmdKey | carbon::shiftKey, {7, 1},
                                          carbon::GetEventDispatcherTarget(), 0, &hotKey),
              carbon::noErr);
    xdotool({"key", "shift+super+space"});
    EXPECT_TRUE(runUntil([&] { return frontmostAtHotKey == "Terminal"; })) << frontmostAtHotKey;

    // From a key panel of the application, activating the editor gives the editor's window
    // the focus, though the terminal had it last.
    auto keyPanel = appkit::Window::make<KeyPanel>(Rect(300, 300, 400, 100), appkit::WindowStyleMask::nonactivatingPanel);
    appkit::Application::shared()->activate();
    keyPanel->makeKeyAndOrderFront();
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == display::Server::ownApplication; }));
    appkit::RunningApplication::withBundleIdentifier("Editor")->activate();
    EXPECT_TRUE(runUntil([&] { return editor->focus() == editor->applicationWindow(); }));
    EXPECT_TRUE(runUntil([&] { return display->frontmostApplication() == "Editor"; }));
    EXPECT_FALSE(keyPanel->isKeyWindow());
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

    // A tray starts: it owns the tray selection and says so on the root window.
    auto tray = startTray(server.name());
    ASSERT_TRUE(tray);
    ASSERT_TRUE(runUntil([&] {
        tray->readEvents();
        return !tray->trayIcons().empty();
    }));
    EXPECT_TRUE(display->isMenuBarExtraDocked());

    // Embedded and shown by the tray, a click on the icon reaches the application; one that
    // another client sends before it does not.
    xcb_button_press_event_t sent{};
    sent.response_type = XCB_BUTTON_PRESS;
    sent.detail = 1;
    sent.root = sent.child = tray->connection().root();
    sent.event = tray->trayIcons()[0];
    sent.same_screen = 1;
    xcb_send_event(tray->connection().get(), 0, sent.event, XCB_EVENT_MASK_BUTTON_PRESS, reinterpret_cast<const char*>(&sent));
    tray->focus();  // the round trip: the server passed it on before the click below
    auto [x, y] = tray->trayIconCentre(0);
    xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
    EXPECT_TRUE(runUntil([&] { return clicks >= 1; }));
    display->screenshot();  // its round trip: everything the server sent before is read
    EXPECT_EQ(clicks, 1);
    appkit::StatusBar::systemStatusBar().removeStatusItem(item);
    EXPECT_FALSE(display->isMenuBarExtraDocked());
}

// Another client may resize the icon's window, or send a notice claiming it did.
TEST_F(X11DisplayTest, TheTrayIconIsDrawnAtABoundedSizeTakenOnlyFromTheServersNotices) {
    const std::uint32_t blue = 0x3366CCFF;
    appkit::StatusBar::systemStatusBar().statusItem()->setImage(appkit::Image::filled(16, 16, blue));
    auto tray = startTray(server.name());
    ASSERT_TRUE(tray);
    auto [x, y] = tray->trayIconCentre(0);
    ASSERT_TRUE(runUntil([&] {
        tray->readEvents();
        return !tray->trayIcons().empty() && near(display->screenshot()->pixel(x, y), blue);
    }));
    const xcb_window_t icon = tray->trayIcons()[0];
    auto& other = tray->connection();
    // The icon is drawn again on an exposure the other client causes; once the server answered
    // both clients, the screen shows it.
    auto redrawn = [&] {
        xcb_clear_area(other.get(), 1, icon, 0, 0, 0, 0);
        tray->focus();
        return display->screenshot();
    };

    xcb_configure_notify_event_t claim{};
    claim.response_type = XCB_CONFIGURE_NOTIFY;
    claim.event = claim.window = icon;
    claim.width = claim.height = 4000;
    xcb_send_event(other.get(), 0, icon, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&claim));
    EXPECT_TRUE(near(redrawn()->pixel(x, y), blue)) << "drawn for a size the window does not have";

    // Moved into a white window of the other client at (100, 100) and made 600 pixels square
    // there (out of any window, the icon would wait for the next tray).
    const xcb_window_t holder = xcb_generate_id(other.get());
    const std::uint32_t white = other.screen()->white_pixel;
    xcb_create_window(other.get(), XCB_COPY_FROM_PARENT, holder, other.root(), 100, 100, 600, 600, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &white);
    xcb_map_window(other.get(), holder);
    xcb_reparent_window(other.get(), icon, holder, 0, 0);
    const std::uint32_t side[] = {600, 600};
    xcb_configure_window(other.get(), icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, side);
    auto screen = redrawn();
    std::filesystem::path pictures = std::filesystem::path(KV_BINARY_DIR) / "pictures";
    std::filesystem::create_directories(pictures);
    EXPECT_TRUE(render::writePNG(*screen, pictures / "x11-tray-icon-in-a-large-window.png"));
    // At most 128 pixels square, around the window's middle at (400, 400).
    struct Probe {
        int dx, dy;
        bool drawn;
    };
    for (auto [dx, dy, drawn] : {Probe{0, 0, true}, {-50, 0, true}, {50, 0, true}, {0, -50, true}, {0, 50, true},
                                 {-70, 0, false}, {70, 0, false}, {0, -70, false}, {0, 70, false}})
        EXPECT_EQ(near(screen->pixel(400 + dx, 400 + dy), blue), drawn) << dx << ", " << dy;
}

// Toolkit trays size an icon by its window's hints and give an icon without them one pixel.
TEST_F(X11DisplayTest, ATrayThatSizesIconsByTheirHintsShowsTheIconAtTrayIconSize) {
    const std::uint32_t blue = 0x3366CCFF;
    appkit::StatusBar::systemStatusBar().statusItem()->setImage(appkit::Image::filled(16, 16, blue));
    auto tray = startTray(server.name(), desktop::DesktopClient::TrayIconSizing::fromHints);
    ASSERT_TRUE(tray);
    auto [x, y] = tray->trayIconCentre(0);
    int width = 0;  // the icon's pixels along the tray's middle row
    EXPECT_TRUE(runUntil([&, x = x, y = y] {
        tray->readEvents();
        auto screen = display->screenshot();
        width = 0;
        for (int dx = -30; dx <= 30; ++dx) width += near(screen->pixel(x + dx, y), blue);
        return width >= 20;  // of 22: the outermost blend with the tray's background
    })) << width << " pixels wide";
}

// A tray that ends takes the icon's window with its own, or hands it back to the root window
// as its connection closes (the icon is in its save-set); either way the next tray gets it.
TEST_F(X11DisplayTest, TheMenuBarExtraDocksIntoEachTrayThatStartsAfterOneEnded) {
    const std::uint32_t blue = 0x3366CCFF;
    int clicks = 0;
    auto item = appkit::StatusBar::systemStatusBar().statusItem();
    item->setAction([&](appkit::Point) { ++clicks; });
    item->setImage(appkit::Image::filled(16, 16, blue));
    enum class Ending { destroysItsWindow, closesItsConnection, none };
    int trays = 0;
    for (auto ending : {Ending::destroysItsWindow, Ending::closesItsConnection, Ending::none}) {
        auto tray = startTray(server.name());
        ASSERT_TRUE(tray);
        ++trays;
        auto [x, y] = tray->trayIconCentre(0);
        ASSERT_TRUE(runUntil([&, x = x, y = y] {
            tray->readEvents();
            return !tray->trayIcons().empty() && near(display->screenshot()->pixel(x, y), blue);
        })) << "not docked in tray " << trays;
        if (ending == Ending::none) {
            std::filesystem::path pictures = std::filesystem::path(KV_BINARY_DIR) / "pictures";
            std::filesystem::create_directories(pictures);
            EXPECT_TRUE(render::writePNG(*display->screenshot(), pictures / "x11-tray-icon-after-restarts.png"));
            xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
            EXPECT_TRUE(runUntil([&] { return clicks == 1; }));
            break;
        }
        if (ending == Ending::destroysItsWindow) tray->endSystemTray();
        tray.reset();
        // Until another tray starts, the icon is nowhere on the screen: where the desktop's
        // background is drawn again, no window of it shows.
        EXPECT_TRUE(runUntil([&] { return !display->isMenuBarExtraDocked(); }));
        auto& own = display->connection();
        xcb_change_window_attributes(own.get(), own.root(), XCB_CW_BACK_PIXEL, &own.screen()->black_pixel);
        xcb_clear_area(own.get(), 0, own.root(), 0, 0, 0, 0);
        EXPECT_FALSE(near(display->screenshot()->pixel(x, y), blue));
    }
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
        auto connected = display::X11Display::connect(name);
        ASSERT_FALSE(connected);
        EXPECT_EQ(connected.error(), reason);
    }
    ::setenv("DISPLAY", saved.c_str(), 1);
}

TEST_F(X11DisplayTest, AnOpenMenuHasTheKeysWhoeverHasTheFocusAndAClickElsewhereEndsIt) {
    auto editor = otherClient(server.name(), "Editor", 900);
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == "Editor"; }));
    auto application = appkit::Application::shared();
    auto menu = appkit::Menu::make("Status");
    int opened = 0;
    menu->addItem(appkit::MenuItem::make("Open", [&] { ++opened; }, "o"));

    // Its key equivalent, typed while the editor has the focus.
    application->beginMenuTracking(menu);
    display->update();
    xdotool({"key", "super+o"});
    EXPECT_TRUE(runUntil([&] { return opened == 1; }));
    EXPECT_FALSE(editor->wasTypedIntoApplicationWindow('o'));

    // A click on the editor's window.
    application->beginMenuTracking(menu);
    display->update();
    xdotool({"mousemove", "--sync", "1000", "200", "click", "1"});
    EXPECT_TRUE(runUntil([&] { return !application->trackingMenu(); }));
    EXPECT_EQ(opened, 1);
    // Ended, the menu holds the keys no more.
    xdotool({"key", "o"});
    EXPECT_TRUE(editor->wasTypedIntoApplicationWindow('o'));
}

TEST_F(X11DisplayTest, AnOpenMenuHighlightsTheItemUnderThePointerUntilItLeavesWhoeverHasTheFocus) {
    auto editor = otherClient(server.name(), "Editor", 900);
    ASSERT_TRUE(runUntil([&] { return display->frontmostApplication() == "Editor"; }));
    auto menu = appkit::Menu::make("Status");
    for (const char* title : {"Open Search", "Settings…", "Quit"}) menu->addItem(appkit::MenuItem::make(title, [] {}));
    auto open = ui::MenuWindow::popUp(menu, {100, 600});
    ASSERT_TRUE(runUntil([&] { return display->framesDrawn(*open->window()) > 0; }));
    // "Settings…" on the server's screen, whose y grows down from the top of the application's.
    const auto* title = open->contentView()->host()->lastLayout()->find([](const ui::LayoutNode& node) {
        return node.kind() == ui::NodeKind::text && node.data<ui::TextData>().text == "Settings…";
    });
    auto frame = open->window()->frame();
    int x = int(frame.minX() + title->frame.midX());
    int y = int(appkit::Screen::mainScreen()->frame().maxY() - frame.maxY() + title->frame.midY());

    xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
    EXPECT_TRUE(runUntil([&] { return menu->highlightedItem() == menu->itemArray()[1]; }));
    std::shared_ptr<appkit::Image> picture;
    EXPECT_TRUE(runUntil([&] { return ((picture = display->screenshot())->pixel(int(frame.minX()) + 8, y) >> 8) == 0x0063E1; }))
        << "the row in the selected-menu-item colour";
    std::filesystem::create_directories(std::filesystem::path(KV_BINARY_DIR) / "pictures");
    EXPECT_TRUE(render::writePNG(*picture, std::filesystem::path(KV_BINARY_DIR) / "pictures" / "x11-menu-highlighted.png"));
    xdotool({"mousemove", "--sync", "600", "50"});
    EXPECT_TRUE(runUntil([&] { return !menu->highlightedItem(); }));
}
