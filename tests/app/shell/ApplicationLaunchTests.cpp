#include "analytics/engine/AMSDatabase.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Array.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/app/shell/ApplicationFixture.hpp"
#include "tests/support/MeasurementRows.hpp"

#include <algorithm>

namespace {

using fixtures::ApplicationTest;

std::shared_ptr<foundation::Array> strings(const std::vector<std::string>& values) {
    std::vector<objc::Id> items;
    for (const auto& value : values) items.push_back(foundation::String::make(value));
    return foundation::Array::make(std::move(items));
}

std::map<std::string, std::string> userProperties() {
    std::map<std::string, std::string> properties;
    for (const auto& property : testsupport::storedUserProperties(AMSDatabase::defaultPath()))
        properties[property.name] = property.value;
    return properties;
}

std::size_t autostartEntries(const std::filesystem::path& home) {
    std::error_code error;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator entry(home / ".config" / "autostart", error), end; !error && entry != end;
         entry.increment(error))
        ++count;
    return count;
}

bool welcomeShown() {
    const auto& windows = appkit::WindowList::shared().orderedWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [](const auto& window) { return window->title() == "Welcome to Kestrelvault"; });
}

TEST_F(ApplicationTest, TheFirstLaunchReportsTheBrowsersThenRegistersAndWelcomesAndTheSecondDoesNeither) {
    // Brave and Edge are switched off, and one of Chrome's two profiles.
    auto defaults = foundation::UserDefaults::standardUserDefaults();
    defaults->setObject(strings({"brave", "edge"}), "disabledBrowsers");
    defaults->setObject(strings({"chrome:Profile 1"}), "disabledProfiles");

    launch();
    // The launch returns while the bookmarks load: nothing of the first launch happened yet.
    EXPECT_TRUE(delegate().panelController);
    EXPECT_FALSE(defaults->objectForKey("hasLaunchedBefore") || welcomeShown());
    EXPECT_EQ(autostartEntries(home.path()), 0u);

    settle();
    EXPECT_EQ(delegate().viewModel->aggregator()->allBookmarks().size(), 1u) << "Chrome's Personal profile only";
    // Every profile of an enabled browser counts, also one switched off; Safari's file is
    // unreadable but its profile is known.
    EXPECT_EQ(userProperties(), (std::map<std::string, std::string>{
                                    {"enabled_browsers", "2"}, {"profiles_chrome", "2"}, {"profiles_safari", "1"}}));
    EXPECT_TRUE(defaults->boolForKey("hasLaunchedBefore"));
    EXPECT_EQ(autostartEntries(home.path()), 1u);
    EXPECT_TRUE(std::filesystem::exists(autostartEntry()));
    ASSERT_TRUE(welcomeShown());
    auto welcome = delegate().welcomeWindow;
    EXPECT_EQ(welcome->frame().size, appkit::Size(360, 300 + appkit::Window::titleBarHeight));
    EXPECT_EQ(welcome->level(), appkit::WindowLevel::floating);
    EXPECT_EQ(screen->frontmostApplication(), editor) << "the welcome window does not activate the application";
    picture(*welcome, "welcome-window");

    // The user removes the login item; the second launch neither brings it back nor welcomes.
    std::filesystem::remove(autostartEntry());
    relaunch();
    settle();
    EXPECT_FALSE(welcomeShown());
    EXPECT_EQ(autostartEntries(home.path()), 0u);
    EXPECT_TRUE(foundation::UserDefaults::standardUserDefaults()->boolForKey("hasLaunchedBefore"));
    EXPECT_EQ(userProperties().at("enabled_browsers"), "2");
}

TEST_F(ApplicationTest, TheWelcomeButtonOpensSettingsAndClosesTheWelcomeWindow) {
    launch();
    settle();
    auto welcome = delegate().welcomeWindow;
    ASSERT_TRUE(welcome && clickText(*welcome, "Get Started"));
    EXPECT_FALSE(welcome->isVisible());
    EXPECT_FALSE(delegate().welcomeWindow) << "released once closed";
    auto settings = application->settings()->window();
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->isVisible() && settings->isKeyWindow());
    // Shown again later, it is a new window.
    delegate().showWelcomeWindow();
    EXPECT_TRUE(delegate().welcomeWindow && delegate().welcomeWindow != welcome);
}

TEST_F(ApplicationTest, TheShortcutAndTheMenuItemBothToggleThePanel) {
    launch();
    settle();
    auto& panel = *delegate().panelController;
    struct Step {
        std::string how;
        std::function<void()> act;
        bool showingAfter;
    };
    const std::vector<Step> steps = {
        {"the shortcut shows it", [this] { press("shift+cmd+space"); }, true},
        {"the shortcut hides it", [this] { press("shift+cmd+space"); }, false},
        {"the menu item shows it", [this] { openMenu(), clickMenuItem("Open Search"); }, true},
        {"the menu item hides it", [this] { openMenu(), clickMenuItem("Open Search"); }, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.how);
        step.act();
        advance(0.2);
        EXPECT_EQ(panel.isShowing, step.showingAfter);
        EXPECT_EQ(panel.panel->isVisible(), step.showingAfter);
        EXPECT_EQ(screen->frontmostApplication(), step.showingAfter ? display::Server::ownApplication : editor);
        EXPECT_FALSE(application->menuBarExtra()->openMenu()) << "the menu closed";
    }
}

TEST_F(ApplicationTest, QuitEndsTheRunningApplication) {
    launch();
    settle();
    openMenu();
    auto menu = application->menuBarExtra()->openMenu()->window();
    auto item = findText(*menu, "Quit Kestrelvault")->frame;
    // Clicked while the application runs; run() returns once it terminated.
    screen->clickOnScreen({menu->frame().minX() + item.midX(), menu->frame().maxY() - item.midY()});
    application->run();
    EXPECT_TRUE(appkit::Application::shared()->isTerminated());
}

}  // namespace
