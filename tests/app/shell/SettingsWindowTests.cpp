#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/ui/MenuView.hpp"
#include "tests/app/shell/ApplicationFixture.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/PlatformSettings.hpp"

namespace {

using appkit::ApplicationActivationPolicy;

class SettingsWindow : public fixtures::ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        launch();
        settle();
        delegate().welcomeWindow->close();
        settle();
    }
    std::shared_ptr<appkit::Window> openSettings() {
        openMenu();
        EXPECT_TRUE(clickMenuItem("Settings…"));
        advance(0.1);
        return application->settings()->window();
    }
    bool shows(const std::string& text) { return findText(*application->settings()->window(), text) != nullptr; }
    // Whether the switch whose label shows the text is on.
    bool isOn(const std::string& label) {
        const auto* toggle = layoutOf(*application->settings()->window()).find([&](const ui::LayoutNode& node) {
            return node.kind() == ui::NodeKind::toggle &&
                   node.find([&](const ui::LayoutNode& text) { return &text == findText(*application->settings()->window(), label); });
        });
        return toggle && toggle->data<ui::ToggleData>().isOn();
    }
    void flip(const std::string& label) { ASSERT_TRUE(clickText(*application->settings()->window(), label)) << label; }
    static std::vector<std::string> stored(const std::string& key) {
        return foundation::UserDefaults::standardUserDefaults()->stringArrayForKey(key).value_or(std::vector<std::string>());
    }
    std::size_t bookmarkCount() const { return delegate().viewModel->aggregator()->allBookmarks().size(); }
    static ApplicationActivationPolicy policy() { return appkit::Application::shared()->activationPolicy(); }
};

TEST_F(SettingsWindow, OpensInFrontWithItsSectionsAndClosingItReturnsToTheAccessoryPolicy) {
    EXPECT_EQ(policy(), ApplicationActivationPolicy::accessory);
    openMenu();
    ASSERT_TRUE(clickMenuItem("Settings…"));
    auto window = application->settings()->window();
    ASSERT_TRUE(window);
    EXPECT_EQ(policy(), ApplicationActivationPolicy::regular);
    EXPECT_EQ(screen->frontmostApplication(), editor) << "the window opens before the application comes forward";
    advance(0.1);
    EXPECT_EQ(screen->frontmostApplication(), display::Server::ownApplication);
    EXPECT_TRUE(window->isVisible() && window->isKeyWindow());
    EXPECT_EQ(window->contentRectForFrameRect(window->frame()).size, appkit::Size(380, 430));
    // The sections in order, the browsers as the aggregator lists them, Safari with its notice.
    double previous = -1;
    for (const auto& text : {"Keyboard Shortcut", "Open search", "General", "Launch at login", "Fuzzy search", "Browsers",
                             "Chrome", "Personal", "Work", "Brave", "Safari",
                             "Full Disk Access is required to read Safari bookmarks"}) {
        const auto* node = findText(*window, text);
        ASSERT_TRUE(node) << text;
        EXPECT_GT(node->frame.minY(), previous) << text;
        previous = node->frame.minY();
    }
    EXPECT_FALSE(shows("Firefox"));
    picture(*window, "settings-light");

    window->close();
    settle();
    EXPECT_EQ(policy(), ApplicationActivationPolicy::accessory);
    EXPECT_FALSE(application->settings()->window()) << "released with its content";

    testsupport::writePlatformSettings(
        "<key>AppleLanguages</key><array><string>en</string></array>"
        "<key>AppleInterfaceStyle</key><string>Dark</string>");
    window = openSettings();
    picture(*window, "settings-dark");
    // Closing any other window leaves the policy alone; the panel's showing closes Settings.
    delegate().showWelcomeWindow();
    delegate().welcomeWindow->close();
    settle();
    EXPECT_EQ(policy(), ApplicationActivationPolicy::regular);
    press("shift+cmd+space");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(policy(), ApplicationActivationPolicy::accessory);
}

TEST_F(SettingsWindow, EverySwitchIsStoredAtOnceAndBrowserAndProfileSwitchesReload) {
    openSettings();
    ASSERT_EQ(bookmarkCount(), 3u);
    int loads = 0;
    auto counting = delegate().viewModel->aggregator()->observeIsLoading([&](bool loading) { loads += loading; });

    flip("Work");
    EXPECT_EQ(stored("disabledProfiles"), std::vector<std::string>{"chrome:Profile 1"});
    EXPECT_FALSE(isOn("Work"));
    EXPECT_EQ(bookmarkCount(), 2u);
    // Chrome off hides its profile switches; on again brings them back as they were.
    flip("Chrome");
    EXPECT_EQ(stored("disabledBrowsers"), std::vector<std::string>{"chrome"});
    EXPECT_FALSE(shows("Personal") || shows("Work"));
    EXPECT_EQ(bookmarkCount(), 1u);
    flip("Chrome");
    EXPECT_TRUE(isOn("Personal") && !isOn("Work"));
    EXPECT_EQ(loads, 3) << "one reload per switch";
    // Turning the last profile off leaves the browser on.
    flip("Personal");
    EXPECT_TRUE(isOn("Chrome"));
    EXPECT_EQ(bookmarkCount(), 1u);

    flip("Fuzzy search");
    EXPECT_FALSE(kestrelvault::ProfileSettings::shared()->fuzzySearchEnabled.get());
    EXPECT_FALSE(foundation::UserDefaults::standardUserDefaults()->boolForKey("fuzzySearchEnabled"));
    EXPECT_EQ(loads, 4) << "the fuzzy switch needs no reload";

    // Registered at the first launch; off removes the login item, on brings it back.
    ASSERT_TRUE(isOn("Launch at login"));
    flip("Launch at login");
    EXPECT_FALSE(std::filesystem::exists(autostartEntry()));
    flip("Launch at login");
    EXPECT_TRUE(std::filesystem::exists(autostartEntry()));
    // The user switched the entry off in the desktop's settings: registering is refused and
    // the switch falls back to off.
    flip("Launch at login");
    home.write(".config/autostart/com.kestrelvault.Kestrelvault.desktop", "[Desktop Entry]\nHidden=true\n");
    flip("Launch at login");
    EXPECT_FALSE(isOn("Launch at login"));
}

TEST_F(SettingsWindow, TheBrowserListIsReadAgainWhenAnyWindowBecomesKey) {
    // The system's settings, which open the Full Disk Access pane from its address.
    fixtures::writeFile(testsupport::installRecordingApplication(home, "Settings", "com.apple.systempreferences") /
                            "Contents/Info.plist",
                        testsupport::xmlPropertyList("<key>CFBundleIdentifier</key><string>S</string><key>CFBundleExecutable"
                                                     "</key><string>Settings</string><key>CFBundleURLTypes</key><array><dict>"
                                                     "<key>CFBundleURLSchemes</key><array><string>x-apple.systempreferences"
                                                     "</string></array></dict></array>"));
    auto window = openSettings();
    // Safari's notice stands at the end of the form: the wheel brings it up.
    double top = findText(*window, "Keyboard Shortcut")->frame.minY();
    ASSERT_TRUE(screen->scrollOnScreen({window->frame().midX(), window->frame().midY()}, -200));
    settle();
    EXPECT_LT(findText(*window, "Keyboard Shortcut")->frame.minY(), top);
    picture(*window, "settings-safari-notice");
    ASSERT_TRUE(clickText(*window, "Open Settings"));
    appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
    EXPECT_EQ(testsupport::recordedLaunches(home, "Settings"),
              (std::vector<std::vector<std::string>>{
                  {"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"}}));

    // Access granted and Firefox installed meanwhile: nothing changes until the window
    // becomes key again (here once another window over it closed).
    home.write("Library/Safari/Bookmarks.plist", testsupport::xmlPropertyList("<key>Children</key><array></array>"));
    fixtures::installApplication("Firefox", std::string(kestrelvault::bundleIdentifier(kestrelvault::BrowserType::firefox)),
                                 0xFF7139FF);
    EXPECT_TRUE(shows("Full Disk Access is required to read Safari bookmarks"));
    delegate().showWelcomeWindow();
    delegate().welcomeWindow->close();
    settle();
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_FALSE(shows("Full Disk Access is required to read Safari bookmarks"));
    // Firefox stands last, without a switch.
    const auto* firefox = findText(*window, "Firefox");
    ASSERT_TRUE(firefox && shows("Coming soon"));
    EXPECT_GT(firefox->frame.minY(), findText(*window, "Safari")->frame.minY());
    EXPECT_FALSE(isOn("Firefox"));
    screen->scrollOnScreen({window->frame().midX(), window->frame().midY()}, -200);
    settle();
    picture(*window, "settings-firefox");
}

TEST_F(SettingsWindow, AShortcutRecordedHereTogglesThePanelAndShowsInTheMenu) {
    auto window = openSettings();
    // A click on the recorder starts recording; the next combination is the new shortcut.
    auto field = layoutOf(*window).find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::representable; })->frame;
    auto content = window->contentRectForFrameRect(window->frame());
    ASSERT_TRUE(screen->clickOnScreen({content.minX() + field.midX(), content.maxY() - field.midY()}));
    settle();
    press("alt+cmd+k");
    EXPECT_EQ(GlobalShortcuts::getShortcut(kestrelvault::toggleSearch()),
              GlobalShortcuts::Shortcut(GlobalShortcuts::Key::k,
                                        appkit::ModifierFlags(appkit::ModifierFlags::command | appkit::ModifierFlags::option)));
    window->close();
    press("alt+cmd+k");
    EXPECT_TRUE(delegate().panelController->isShowing);
    press("escape");
    openMenu();
    EXPECT_EQ(ui::MenuView::keyEquivalentText(*application->menuBarExtra()->menu()->itemArray().front()), "⌥⌘K");
}

}  // namespace
