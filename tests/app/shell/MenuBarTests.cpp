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
    bool credited = false;
    for (const auto& view : appkit::WindowList::shared().keyWindow()->contentView()->subviews())
        if (auto label = std::dynamic_pointer_cast<appkit::TextField>(view))
            credited |= label->stringValue() == "Search bookmarks across all browsers and profiles." &&
                        label->font().pointSize == 11;
    EXPECT_TRUE(credited);

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
