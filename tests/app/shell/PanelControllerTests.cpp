#include "tests/app/shell/PanelFixture.hpp"

#include "analytics/engine/AMSDatabase.hpp"
#include "platform/appkit/WindowList.hpp"
#include "tests/support/MeasurementRows.hpp"

#include <functional>

namespace paneltest {
namespace {

using kestrelvault::PanelController;

std::vector<std::string> storedEventNames() {
    std::vector<std::string> names;
    for (const auto& event : testsupport::storedEvents(AMSDatabase::defaultPath())) names.push_back(event.name);
    return names;
}

bool overlayShown() {
    for (const auto& window : appkit::WindowList::shared().orderedWindows())
        if (window->level() == 2) return true;
    return false;
}

TEST_F(PanelTest, TheShortcutShowsThePanelOverTheFrontApplicationAndClosesTheSettings) {
    auto settings = appkit::Window::create(appkit::Rect(100, 100, 400, 300), appkit::WindowStyleMask::titled);
    settings->setIdentifier(PanelController::settingsWindowIdentifier);
    settings->makeKeyAndOrderFront();

    press("shift+cmd+space");
    auto panel = controller->panel;
    ASSERT_TRUE(panel && controller->isShowing);
    EXPECT_TRUE(panel->isVisible() && panel->isKeyWindow());
    EXPECT_FALSE(settings->isVisible());
    EXPECT_EQ(screen.frontmostApplication(), display::HeadlessDisplay::ownApplication);
    EXPECT_EQ(controller->previousApp->bundleIdentifier(), editor);
    // The top edge 60 points above 65% of the screen's height, centred across it.
    EXPECT_EQ(controller->panelTopY, 900 * 0.65 + 60);
    EXPECT_EQ(panel->frame(), appkit::Rect(380, 645 - 68, 680, 68));
    EXPECT_EQ(controller->overlayWindow->frame(), appkit::Rect(0, 0, 1440, 900));
    EXPECT_LT(panel->alphaValue(), 1);
    advance(0.15);
    EXPECT_EQ(panel->alphaValue(), 1);
    EXPECT_TRUE(panel->contentView()->layer().transform.isIdentity());
    EXPECT_EQ(storedEventNames(), std::vector<std::string>{"open_search"});

    // Typing goes to the panel's field: every showing starts from a fresh load.
    search("gitlab");
    ASSERT_EQ(viewModel->results.get().size(), 1u);
    EXPECT_EQ(viewModel->results.get()[0].name, "GitLab");
}

TEST_F(PanelTest, ReturnOpensTheBookmarkInItsBrowserAndProfileAndGivesTheFocusBack) {
    showPanel();
    search("cheat sheet");
    ASSERT_EQ(viewModel->results.get().front().name, "Git cheat sheet");
    press("return");
    EXPECT_FALSE(controller->isShowing);
    EXPECT_EQ(screen.frontmostApplication(), editor);
    EXPECT_EQ(chromeLaunches(), (std::vector<std::vector<std::string>>{
                                    {"--profile-directory=Profile 1", "https://education.github.com/git-cheat-sheet.pdf"}}));
    advance(0.15);
    EXPECT_FALSE(controller->panel->isVisible());
    EXPECT_EQ(controller->panel->alphaValue(), 1);
    EXPECT_EQ(storedEventNames(), (std::vector<std::string>{"open_search", "open_bookmark"}));
}

TEST_F(PanelTest, EveryWayOfClosingHidesThePanelAndOnlyLosingKeyStatusLeavesTheFocusElsewhere) {
    struct Case {
        std::string name;
        std::function<void()> close;
        std::string frontAfter;
        std::size_t launchesSoFar;
    };
    const std::vector<Case> cases = {
        {"escape", [this] { press("escape"); }, editor, 0},
        {"the shortcut again", [this] { press("shift+cmd+space"); }, editor, 0},
        {"a click on the overlay", [this] { ASSERT_TRUE(screen.clickOnScreen({10, 10})); }, editor, 0},
        {"a right click on the overlay",
         [this] { ASSERT_TRUE(screen.clickOnScreen({10, 10}, display::HeadlessDisplay::MouseButton::right)); }, editor, 0},
        {"a double click on a row",
         [this] {
             search("hooks");
             clickRow(0);
             clickRow(0);
         },
         editor, 1},
        {"another application comes to the front", [this] { screen.setFrontmostApplication("com.example.browser"); },
         "com.example.browser", 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        screen.setFrontmostApplication(editor);
        showPanel();
        clickInPanel({600, 30});  // a click inside the panel is the panel's own
        ASSERT_TRUE(controller->isShowing);
        test.close();
        settle();
        EXPECT_FALSE(controller->isShowing);
        EXPECT_EQ(screen.frontmostApplication(), test.frontAfter);
        EXPECT_EQ(controller->previousApp, nullptr);
        EXPECT_FALSE(overlayShown());
        advance(0.15);
        EXPECT_FALSE(controller->panel->isVisible());
        EXPECT_EQ(chromeLaunches().size(), test.launchesSoFar);
    }
}

TEST_F(PanelTest, AShowingDuringTheFadeOutOfAHideStaysOnScreen) {
    showPanel();
    press("escape");
    advance(0.05);
    press("shift+cmd+space");
    advance(0.3);  // the earlier fade-out has long completed
    EXPECT_TRUE(controller->isShowing);
    EXPECT_TRUE(controller->panel->isVisible() && controller->panel->isKeyWindow());
    EXPECT_EQ(controller->panel->alphaValue(), 1);
    EXPECT_TRUE(overlayShown());
}

}  // namespace
}  // namespace paneltest
