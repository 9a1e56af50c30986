#include "desktop/DesktopClient.hpp"
#include "platform/appkit/Menu.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/StatusBar.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "tests/platform/x11/X11DisplayFixture.hpp"

#include <cstdlib>

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
    auto connected = desktop::DesktopClient::connect(server.name());
    ASSERT_TRUE(connected) << connected.error();
    auto tray = std::move(*connected);
    ASSERT_TRUE(tray->startSystemTray());
    ASSERT_TRUE(runUntil([&] {
        tray->readEvents();
        return !tray->trayIcons().empty();
    }));
    EXPECT_TRUE(display->isMenuBarExtraDocked());

    // Embedded and shown by the tray, a click on the icon reaches the application.
    auto [x, y] = tray->trayIconCentre(0);
    xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
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
