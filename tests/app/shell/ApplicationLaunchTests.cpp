#include "analytics/engine/AMSDatabase.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Array.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/app/shell/ApplicationFixture.hpp"
#include "tests/support/MeasurementRows.hpp"

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

bool welcomeShown() {
    for (const auto& window : appkit::WindowList::shared().orderedWindows())
        if (window->title() == "Welcome to Kestrelvault") return true;
    return false;
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
    EXPECT_FALSE(std::filesystem::exists(autostartEntry().parent_path()));

    settle();
    EXPECT_EQ(delegate().viewModel->aggregator()->allBookmarks().size(), 1u) << "Chrome's Personal profile only";
    // All profiles of an enabled browser count; Safari's file is unreadable, its profile known.
    EXPECT_EQ(userProperties(), (std::map<std::string, std::string>{
                                    {"enabled_browsers", "2"}, {"profiles_chrome", "2"}, {"profiles_safari", "1"}}));
    EXPECT_TRUE(defaults->boolForKey("hasLaunchedBefore"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(autostartEntry().parent_path()), {}), 1);
    ASSERT_TRUE(welcomeShown());
    auto welcome = delegate().welcomeWindow;
    EXPECT_EQ(welcome->frame().size, appkit::Size(360, 300 + appkit::Window::titleBarHeight));
    EXPECT_EQ(welcome->level(), appkit::WindowLevel::floating);
    EXPECT_EQ(screen->frontmostApplication(), editor) << "the welcome window does not activate the application";
    picture(*welcome, "welcome-window");
    // Its button opens Settings and closes it for good.
    ASSERT_TRUE(clickText(*welcome, "Get Started"));
    EXPECT_FALSE(welcome->isVisible() || delegate().welcomeWindow);
    EXPECT_TRUE(application->settings()->window() && application->settings()->window()->isKeyWindow());

    // The user removes the login item; the second launch neither brings it back nor welcomes.
    std::filesystem::remove(autostartEntry());
    relaunch();
    settle();
    EXPECT_FALSE(welcomeShown());
    EXPECT_FALSE(std::filesystem::exists(autostartEntry()));
}

TEST_F(ApplicationTest, WithEveryBrowserSwitchedOffTheFirstLaunchStillWaitsUntilLaunchingHasFinished) {
    auto defaults = foundation::UserDefaults::standardUserDefaults();
    defaults->setObject(strings({"chrome", "brave", "edge", "safari"}), "disabledBrowsers");
    launch();
    // No reader runs, yet the launch task starts only once launching has finished.
    EXPECT_FALSE(defaults->objectForKey("hasLaunchedBefore") || welcomeShown());
    settle();
    EXPECT_EQ(userProperties(), (std::map<std::string, std::string>{{"enabled_browsers", "0"}}));
    EXPECT_TRUE(welcomeShown());
}

TEST_F(ApplicationTest, TheShortcutAndTheMenuItemBothToggleThePanel) {
    launch();
    settle();
    auto& panel = *delegate().panelController;
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"the shortcut shows it on the key's release",
         [this, &panel] {
             screen->keyDown("shift+cmd+space");
             advance(0.2);
             EXPECT_FALSE(panel.isShowing) << "the press alone does nothing";
             screen->keyUp("shift+cmd+space");
         }},
        {"the shortcut hides it", [this] { press("shift+cmd+space"); }},
        {"the menu item shows it", [this] { openMenu(), clickMenuItem("Open Search"); }},
        {"the menu item hides it", [this] { openMenu(), clickMenuItem("Open Search"); }},
    };
    bool showing = false;
    for (const auto& [how, act] : steps) {
        SCOPED_TRACE(how);
        act();
        advance(0.2);
        showing = !showing;
        EXPECT_TRUE(panel.isShowing == showing && panel.panel->isVisible() == showing);
        EXPECT_EQ(screen->frontmostApplication(), showing ? display::Server::ownApplication : editor);
        EXPECT_FALSE(application->menuBarExtra()->openMenu()) << "the menu closed";
    }
}

}  // namespace
