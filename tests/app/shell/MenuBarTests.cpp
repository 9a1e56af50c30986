#include "platform/appkit/Alert.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/ui/MenuView.hpp"
#include "tests/app/shell/ApplicationFixture.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/PlatformSettings.hpp"
#include "tests/support/TrustedCertificates.hpp"

namespace {

using fixtures::ApplicationTest;

// Each item as the menu shows it: title, key equivalent, greyed or not.
std::vector<std::string> shownItems(const appkit::Menu& menu) {
    std::vector<std::string> items;
    for (const auto& item : menu.itemArray())
        items.push_back(item->isSeparatorItem() ? "—"
                                                : item->title() + " " + ui::MenuView::keyEquivalentText(*item) +
                                                      (item->isEnabled() ? "" : " (greyed)"));
    return items;
}

TEST_F(ApplicationTest, TheMenuShowsItsSixItemsUnderTheStatusItemAndTheUpdateCheckGreyedWhileItCannotRun) {
    launch();
    settle();
    auto extra = application->menuBarExtra();
    EXPECT_EQ(extra->statusItem()->title(), "Kestrelvault");
    EXPECT_EQ(extra->statusItem()->image()->width(), 18);

    openMenu();
    auto open = extra->openMenu();
    // The bundle names no update feed, so the updater never starts and cannot check.
    EXPECT_EQ(shownItems(*open->menu()),
              (std::vector<std::string>{"Open Search ⇧⌘Space", "Settings… ⌘,", "Check for Updates…  (greyed)", "—",
                                        "About Kestrelvault ", "Quit Kestrelvault ⌘Q"}));
    // Below the status item, moved left to stay on the screen; never key, like a menu.
    EXPECT_EQ(open->window()->frame().maxY(), 900 - 24);
    EXPECT_EQ(open->window()->frame().maxX(), 1440);
    EXPECT_FALSE(open->window()->isKeyWindow());
    auto light = picture(*open->window(), "menu-light");
    EXPECT_TRUE(clickMenuItem("Check for Updates…"));
    EXPECT_TRUE(extra->openMenu()) << "a greyed item does nothing";

    // Escape, a click elsewhere and another click on the status item close it.
    for (const auto& close : std::vector<std::function<void()>>{[&] { press("escape"); },
                                                                [&] { screen->clickOnScreen({100, 100}); },
                                                                [&] { screen->clickStatusItem(); }}) {
        if (!extra->openMenu()) openMenu();
        close();
        settle();
        EXPECT_FALSE(extra->openMenu() || appkit::Application::shared()->trackingMenu());
    }

    testsupport::writePlatformSettings(
        "<key>AppleLanguages</key><array><string>en</string></array>"
        "<key>AppleInterfaceStyle</key><string>Dark</string>");
    openMenu();
    auto dark = picture(*extra->openMenu()->window(), "menu-dark");
    EXPECT_GT(light->pixel(20, 10) >> 24, 0xC0u);
    EXPECT_LT(dark->pixel(20, 10) >> 24, 0x60u);
}

// Whether the key window is the About panel with the application's credits.
bool showsAboutPanel() {
    auto window = appkit::WindowList::shared().keyWindow();
    bool credited = false;
    for (const auto& view : window ? window->contentView()->subviews() : std::vector<std::shared_ptr<appkit::View>>{})
        if (auto label = std::dynamic_pointer_cast<appkit::TextField>(view))
            credited |= label->stringValue() == "Search bookmarks across all browsers and profiles." &&
                        label->font().pointSize == 11;
    return credited;
}

// How many pixels of a shown text are dark (below 100 in every channel).
int darkPixels(const appkit::Image& picture, const ui::LayoutNode& text) {
    int dark = 0;
    for (int y = int(text.frame.minY()); y < int(text.frame.maxY()); ++y)
        for (int x = int(text.frame.minX()); x < int(text.frame.maxX()); ++x) {
            auto pixel = picture.pixel(x, y);
            dark += std::max({pixel >> 24, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF}) < 100;
        }
    return dark;
}

TEST_F(ApplicationTest, TheItemUnderThePointerOrChosenWithTheArrowsIsHighlightedAndReturnPerformsIt) {
    launch();
    settle();
    openMenu();
    press("return");  // nothing highlighted: the menu only closes
    EXPECT_FALSE(application->menuBarExtra()->openMenu());
    openMenu();
    auto open = application->menuBarExtra()->openMenu();
    const auto& window = *open->window();
    auto highlighted = [&] { return open->menu()->highlightedItem() ? open->menu()->highlightedItem()->title() : ""; };

    // The pointer highlights the enabled item under it; the greyed item, the divider and a
    // place outside the menu highlight nothing.
    const auto* divider = layoutOf(window).find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::divider; });
    auto content = window.contentRectForFrameRect(window.frame());
    for (const auto& [point, item] : std::vector<std::pair<appkit::Point, std::string>>{
             {*screenPointOfText(window, "Settings…"), "Settings…"},
             {*screenPointOfText(window, "Check for Updates…"), ""},
             {*screenPointOfText(window, "Quit Kestrelvault"), "Quit Kestrelvault"},
             {{content.minX() + divider->frame.midX(), content.maxY() - divider->frame.midY()}, ""},
             {*screenPointOfText(window, "Settings…"), "Settings…"},
             {{100, 100}, ""}}) {
        screen->movePointer(point);
        settle();
        EXPECT_EQ(highlighted(), item) << point.x << " " << point.y;
    }
    // Up from nothing: the last item; the arrows pass the divider and the greyed item and
    // stop at either end.
    for (const auto& [key, item] : std::vector<std::pair<std::string, std::string>>{
             {"up", "Quit Kestrelvault"}, {"down", "Quit Kestrelvault"}, {"up", "About Kestrelvault"},
             {"up", "Settings…"}, {"up", "Open Search"}, {"up", "Open Search"}, {"down", "Settings…"},
             {"down", "About Kestrelvault"}}) {
        press(key);
        EXPECT_EQ(highlighted(), item) << key;
    }
    auto image = picture(window, "menu-highlighted");
    auto background = [&](const std::string& title) { return image->pixel(8, int(findText(window, title)->frame.midY())) >> 8; };
    EXPECT_EQ(background("About Kestrelvault"), 0x0063E1u) << "the selected-menu-item colour";
    EXPECT_EQ(darkPixels(*image, *findText(window, "About Kestrelvault")), 0) << "a white title";
    EXPECT_EQ(background("Settings…"), 0xECECECu) << "the menu's own background";
    EXPECT_GT(darkPixels(*image, *findText(window, "Settings…")), 10);

    press("return");
    EXPECT_FALSE(application->menuBarExtra()->openMenu());
    EXPECT_TRUE(showsAboutPanel());
}

TEST_F(ApplicationTest, TheMenuCommandsOpenSettingsAndAboutAndQuitByTheirKeysToo) {
    launch();
    settle();
    openMenu();
    press("cmd+,");
    EXPECT_TRUE(!application->menuBarExtra()->openMenu() && application->settings()->window());
    EXPECT_EQ(appkit::Application::shared()->activationPolicy(), appkit::ApplicationActivationPolicy::regular);

    openMenu();
    ASSERT_TRUE(clickMenuItem("About Kestrelvault"));
    EXPECT_EQ(screen->frontmostApplication(), display::Server::ownApplication);
    EXPECT_TRUE(showsAboutPanel());

    // Quit, pressed while the application runs: run() returns once it terminated.
    openMenu();
    screen->pressKeys("cmd+q");
    application->run();
    EXPECT_TRUE(appkit::Application::shared()->isTerminated());
}

TEST_F(ApplicationTest, CheckForUpdatesIsGreyedWhileACheckRunsAndItsAlertTellsTheResult) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::LocalHTTPServer server(certificate);
    server.server().Get("/latest.json", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"version": "1.1"})", "application/json");
    });
    server.start();
    bundleInfo = {{"CFBundleShortVersionString", "1.0"}, {"KVUpdateFeedURL", server.url("/latest.json")}};
    relaunch();
    testsupport::TrustedCertificate trusted(certificate.der());  // a new process trusts it anew
    settle();
    auto enabled = [&] {
        openMenu();
        bool result = application->menuBarExtra()->menu()->itemArray().at(2)->isEnabled();
        press("escape");
        return result;
    };
    ASSERT_TRUE(enabled());
    openMenu();
    ASSERT_TRUE(clickMenuItem("Check for Updates…"));
    EXPECT_FALSE(enabled()) << "greyed while the check runs";
    std::shared_ptr<appkit::Alert> alert;
    for (int pass = 0; pass < 20 && !(alert = appkit::Alert::frontmostAlert()); ++pass) settle();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->messageText(), "A new version of Kestrelvault is available") << alert->informativeText();
    EXPECT_FALSE(enabled()) << "and until its alert is dismissed";
    alert->buttons().at(0)->performClick();
    EXPECT_TRUE(enabled());
}

}  // namespace
