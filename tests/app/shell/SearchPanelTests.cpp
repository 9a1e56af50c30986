#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "analytics/engine/AMSDatabase.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/shell/PanelController.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/HostingView.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/MeasurementRows.hpp"
#include "tests/support/PlatformSettings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using kestrelvault::PanelController;
using Links = std::vector<std::pair<std::string, std::string>>;
constexpr const char* editor = "com.example.editor";
const std::string chromeData = "Library/Application Support/Zadizu/Chrome/";
const std::string braveData = "Library/Application Support/BraveSoftware/Brave-Browser/Default/Bookmarks";

// A profile's bookmarks: the first ones in the bar's "Dev" folder, the rest in the bar.
std::string bookmarksFile(const Links& bookmarks, std::size_t inDev) {
    std::string dev, bar;
    for (std::size_t index = 0; index < bookmarks.size(); ++index) {
        auto& list = index < inDev ? dev : bar;
        list += std::string(list.empty() ? "" : ",") + R"({"type":"url","name":")" + bookmarks[index].first +
                R"(","url":")" + bookmarks[index].second + R"("})";
    }
    return R"({"roots":{"bookmark_bar":{"type":"folder","name":"Bar","children":[{"type":"folder","name":"Dev",)"
           R"("children":[)" + dev + "]}" + (bar.empty() ? "" : ",") + bar + "]}}}";
}

// The application as far as the panel goes, on a 1440 × 900 screen with an editor in front:
// Chrome (recording its launches) with two profiles, Brave, and the toggle shortcut's handler.
class SearchPanel : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::Clock::installManual();
        fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}}, fixtures::Resources::application);
        fixtures::preferLanguage("en");
        ZIZAdu::configure();
        home.write(chromeData + "Default/Bookmarks",
                   bookmarksFile({{"GitHub", "https://github.com/"}, {"Git forge", "https://forge.example.com/"},
                                  {"Git mirror", "https://mirror.example.org/"}, {"Git documentation", "https://docs.example.com/git"},
                                  {"Git book", "https://books.example.com/git"},
                                  {"Git branching game", "https://branching.example.org/"}}, 6));
        home.write(chromeData + "Profile 1/Bookmarks",
                   bookmarksFile({{"Git cheat sheet", "https://education.github.com/git-cheat-sheet.pdf"},
                                  {"Git hooks guide", "https://hooks.example.com/"},
                                  {"Git repair rules", "https://git.example.org/rules"},
                                  {"Git workshop", "https://workshop.example.com/"},
                                  {"Git internals", "https://git.example.org/up"},
                                  {"Think in Git", "https://think.example.net/"}}, 0));
        home.write(braveData, bookmarksFile({{"Kestrel field notes", "https://birds.example.org/kestrel"},
                                             {"Weather", "https://weather.example.com/"}}, 0));
        const std::string chrome(kestrelvault::bundleIdentifier(kestrelvault::BrowserType::chrome));
        testsupport::installRecordingApplication(home, "Chrome", chrome);
        fixtures::installApplication("Chrome", chrome, 0x34A853FF);  // an icon, the same program
        // Brave's bundle has no program: opening one of its bookmarks fails.
        fixtures::installApplication("Brave", std::string(kestrelvault::bundleIdentifier(kestrelvault::BrowserType::brave)),
                                     0xFB542BFF);
        viewModel = kestrelvault::SearchViewModel::make();
        controller = PanelController::make(viewModel);
        // The name is made once per process (storing its default); each test has a new store.
        const auto& toggleSearch = kestrelvault::toggleSearch();
        if (!GlobalShortcuts::userDefaultsContains(toggleSearch)) GlobalShortcuts::reset(toggleSearch);
        GlobalShortcuts::onKeyUp(toggleSearch, [this] {  // as the application delegate does
            if (!controller->isShowing) return controller->show();
            controller->hide(PanelController::FocusRestoration::previousApplication);
        });
        screen.setFrontmostApplication(editor);
    }
    void TearDown() override {
        advance(1);  // no fade or toast outlives the test: the next one's clock starts again at 0
        controller.reset();
        chromeLaunches();
    }

    void settle() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }
    void advance(double seconds) {
        foundation::Clock::advance(std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9)));
        settle();
    }
    void press(const std::string& keys) {
        screen.pressKeys(keys);
        settle();
    }
    void search(const std::string& text) {  // replaces the query, typing as a person would
        press("cmd+a");
        press("delete");
        for (char character : text) press(character == ' ' ? "space" : std::string(1, character));
    }
    void showPanel() {
        press("shift+cmd+space");
        advance(0.2);
    }
    void clickInPanel(appkit::Point point) {  // top-left origin
        const auto& frame = controller->panel->frame();
        ASSERT_TRUE(screen.clickOnScreen({frame.minX() + point.x, frame.maxY() - point.y}));
        settle();
    }
    void clickRow(int index) { clickInPanel({frame(std::to_string(index)).midX(), frame(std::to_string(index)).midY()}); }

    const ui::LayoutNode& layout() const {
        return *std::dynamic_pointer_cast<ui::HostingView>(controller->panel->contentView())->host()->lastLayout();
    }
    appkit::Rect frame(const std::string& id) const {  // a row's, or "list" for the scroll view's
        const auto* node = layout().find([&](const ui::LayoutNode& node) {
            return id == "list" ? node.kind() == ui::NodeKind::scroll
                                : node.kind() == ui::NodeKind::identified && node.data<ui::IdentifiedData>().id == id;
        });
        return node ? node->frame : appkit::Rect();
    }
    const ui::LayoutNode* text(const std::string& shown) const {
        return layout().find([&](const ui::LayoutNode& node) {
            return node.kind() == ui::NodeKind::text && node.data<ui::TextData>().text == shown;
        });
    }
    std::vector<std::vector<std::string>> chromeLaunches() {
        settle();
        appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
        settle();
        return testsupport::recordedLaunches(home, "Chrome");
    }
    static bool overlayShown() {
        const auto& windows = appkit::WindowList::shared().orderedWindows();
        return std::any_of(windows.begin(), windows.end(), [](const auto& window) { return window->level() == 2; });
    }
    std::shared_ptr<appkit::Image> picture(const std::string& name) const {  // also in <build>/pictures
        auto image = render::Renderer::snapshot(*controller->panel);
        std::filesystem::create_directories(std::filesystem::path(KV_BINARY_DIR) / "pictures");
        EXPECT_TRUE(render::writePNG(*image, std::filesystem::path(KV_BINARY_DIR) / "pictures" / (name + ".png")));
        return image;
    }

    static std::uint32_t red(const appkit::Image& image, double x, double y) { return image.pixel(int(x), int(y)) >> 24; }
    bool selectedRowIsDarker(const appkit::Image& image) const {  // row 1 selected, row 2 not
        return red(image, 600, frame("1").midY()) < red(image, 600, frame("2").midY());
    }

    testsupport::TemporaryHome home;
    display::HeadlessDisplay screen;
    std::shared_ptr<kestrelvault::SearchViewModel> viewModel;
    std::shared_ptr<PanelController> controller;
};

TEST_F(SearchPanel, TheShortcutShowsThePanelOverTheFrontApplicationAndAShowingDuringAFadeOutStays) {
    auto settings = appkit::Window::make(appkit::Rect(100, 100, 400, 300), appkit::WindowStyleMask::titled);
    settings->setIdentifier(PanelController::settingsWindowIdentifier);
    settings->makeKeyAndOrderFront();

    press("shift+cmd+space");
    auto panel = controller->panel;
    ASSERT_TRUE(panel && controller->isShowing);
    EXPECT_TRUE(panel->isVisible() && panel->isKeyWindow());
    EXPECT_FALSE(settings->isVisible());
    EXPECT_EQ(screen.frontmostApplication(), display::HeadlessDisplay::ownApplication);
    EXPECT_EQ(controller->previousApp->bundleIdentifier(), editor);
    EXPECT_EQ(controller->panelTopY, 900 * 0.65 + 60);  // 60 points above 65% of the screen
    EXPECT_EQ(panel->frame(), appkit::Rect(380, 645 - 68, 680, 68));
    EXPECT_EQ(controller->overlayWindow->frame(), appkit::Rect(0, 0, 1440, 900));
    EXPECT_LT(panel->alphaValue(), 1);
    advance(0.15);
    EXPECT_EQ(panel->alphaValue(), 1);
    EXPECT_TRUE(panel->contentView()->layer().transform.isIdentity());

    // A showing during the fade-out of a hide is not undone when that fade-out completes.
    press("escape");
    advance(0.05);
    press("shift+cmd+space");
    advance(0.3);
    EXPECT_TRUE(controller->isShowing && panel->isVisible() && panel->isKeyWindow() && overlayShown());
    EXPECT_EQ(panel->alphaValue(), 1);
}

TEST_F(SearchPanel, AShowingClosesTheSettingsWindowOnceHoweverOftenItCameToTheFront) {
    auto settings = appkit::Window::make(appkit::Rect(100, 100, 400, 300), appkit::WindowStyleMask::titled);
    settings->setIdentifier(PanelController::settingsWindowIdentifier);
    int closings = 0;
    auto token = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowWillCloseNotification, settings, nullptr, [&](const foundation::Notification&) { ++closings; });
    for (int opening = 0; opening < 3; ++opening) settings->makeKeyAndOrderFront();  // the menu item, three times

    showPanel();
    EXPECT_EQ(closings, 1);
    auto windows = appkit::WindowList::shared().windows();
    EXPECT_EQ(std::count(windows.begin(), windows.end(), controller->panel), 1);
}

TEST_F(SearchPanel, TheHeightFollowsTheResultsWithTheTopEdgeInPlace) {
    showPanel();
    struct Case {
        std::string query;
        std::size_t results;
        double height;
    };
    // A query without matches typed into the blank panel needs the message's room although
    // the count stays 0; at the cap the list gives way so the key hints stay whole.
    for (const auto& test : std::vector<Case>{
             {"zzz", 0, 125}, {"kestrel", 1, 167}, {"dev", 6, 457}, {"git", 12, 480}, {"", 0, 68}}) {
        SCOPED_TRACE(test.query);
        search(test.query);
        EXPECT_EQ(viewModel->results.get().size(), test.results);
        EXPECT_EQ(controller->panel->frame().height(), test.height);
        EXPECT_EQ(controller->panel->frame().maxY(), 645);
        EXPECT_EQ(text("No matching bookmarks") != nullptr, test.query == "zzz");
        if (test.results) { EXPECT_LE(text("Close")->frame.maxY(), test.height); }
    }
    // With every browser off nothing is loaded: the message says so, with the room it needs.
    kestrelvault::ProfileSettings::shared()->disabledBrowsers = std::set<std::string>{"chrome", "brave", "edge", "safari"};
    press("escape");
    showPanel();
    EXPECT_TRUE(text("No bookmarks found"));
    EXPECT_EQ(controller->panel->frame().height(), 125);
}

TEST_F(SearchPanel, ArrowsMoveTheSelectionAndScrollItToTheMiddleWhileClicksOnlySelect) {
    showPanel();
    picture("search-panel-empty");
    search("git");
    press("down");
    advance(0.2);
    auto light = picture("search-panel-results-light");
    EXPECT_TRUE(selectedRowIsDarker(*light));
    auto list = frame("list");  // its scroll knob stands at the top of its trailing edge
    EXPECT_LT(red(*light, 675, list.minY() + 10), red(*light, 675, list.maxY() - 10));
    for (int step = 0; step < 4; ++step) press("down");
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 5);
    EXPECT_NEAR(frame("5").midY(), list.midY(), 1);
    for (int step = 0; step < 6; ++step) press("up");  // past the first row to the last
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 11);
    EXPECT_NEAR(frame("11").maxY(), list.maxY(), 1);
    // Clicks on two rows within the double-click interval select the second only.
    auto before = frame("9");
    clickRow(9);
    clickRow(8);
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 8);
    EXPECT_TRUE(controller->isShowing && frame("9") == before);
}

TEST_F(SearchPanel, AClickDoesNotScrollAfterAnArrowOnASingleResultLeftTheSelectionWhereItWas) {
    showPanel();
    search("kestrel");
    press("down");  // one result: the selection stays on it
    search("git");
    auto before = frame("5");
    clickRow(5);
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 5);
    EXPECT_EQ(frame("5"), before);
}

TEST_F(SearchPanel, ResultsShrinkingUnderAListScrolledToItsEndStillFillTheList) {
    showPanel();
    search("git");
    press("up");  // to the last of 12, the list scrolled to its end
    advance(0.2);
    for (auto key : {"space", "c"}) press(key);  // "git c": 8 results
    ASSERT_EQ(viewModel->results.get().size(), 8u);
    auto list = frame("list");
    EXPECT_NEAR(frame("7").maxY(), list.maxY(), 1);
    for (auto key : {"h", "e", "a", "t"}) press(key);  // "git cheat": 1 result, at the top
    ASSERT_EQ(viewModel->results.get().size(), 1u);
    EXPECT_EQ(frame("0").minY(), frame("list").minY());
}

TEST_F(SearchPanel, ReturnOpensTheBookmarkInItsBrowserAndProfileAndTheNextShowingLoadsAgain) {
    showPanel();
    search("cheat sheet");
    ASSERT_EQ(viewModel->results.get().front().name, "Git cheat sheet");
    press("return");
    EXPECT_TRUE(!controller->isShowing && screen.frontmostApplication() == editor);
    EXPECT_EQ(chromeLaunches(), (std::vector<std::vector<std::string>>{
                                    {"--profile-directory=Profile 1", "https://education.github.com/git-cheat-sheet.pdf"}}));
    advance(0.15);
    EXPECT_TRUE(!controller->panel->isVisible() && controller->panel->alphaValue() == 1);
    auto events = testsupport::storedEvents(AMSDatabase::defaultPath());
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].name == "open_search" && events[1].name == "open_bookmark");

    home.write(braveData, bookmarksFile({{"Falcon field notes", "https://birds.example.org/falcon"}}, 0));
    showPanel();
    search("falcon");
    EXPECT_EQ(viewModel->results.get().size(), 1u);
}

TEST_F(SearchPanel, EveryWayOfClosingHidesThePanelAndOnlyLosingKeyStatusLeavesTheFocusElsewhere) {
    struct Case {
        std::string name;
        std::function<void()> close;
        std::string frontAfter;
        std::size_t launchesSoFar;
    };
    const std::vector<Case> cases = {
        {"escape", [this] { press("escape"); }, editor, 0},
        {"the shortcut again", [this] { press("shift+cmd+space"); }, editor, 0},
        {"a click on the overlay", [this] { screen.clickOnScreen({10, 10}); }, editor, 0},
        {"a right click on it", [this] { screen.clickOnScreen({10, 10}, display::HeadlessDisplay::MouseButton::right); },
         editor, 0},
        {"a double click on a row", [this] { search("hooks"), clickRow(0), clickRow(0); }, editor, 1},
        {"another application in front", [this] { screen.setFrontmostApplication("com.example.browser"); },
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
        EXPECT_FALSE(controller->previousApp || overlayShown());
        advance(0.15);
        EXPECT_FALSE(controller->panel->isVisible());
        EXPECT_EQ(chromeLaunches().size(), test.launchesSoFar);
    }
}

// Escape, then the shortcut at once: the new showing comes before the hiding that the lost
// key status asked for, which then finds the panel key again and leaves it.
TEST_F(SearchPanel, AShowingRightAfterAHideIsNotUndoneByTheKeyStatusThatHideTookAway) {
    showPanel();
    controller->hide(PanelController::FocusRestoration::previousApplication);
    ASSERT_FALSE(controller->panel->isKeyWindow());
    controller->show();
    settle();
    EXPECT_TRUE(controller->isShowing && controller->panel->isKeyWindow() && overlayShown());
}

// A window server that reads the shortcut and the key typed right after it in one batch (as
// the X11 display does): the key lands in the field the showing emptied, not after the last
// showing's query.
TEST_F(SearchPanel, AKeyReadWithTheShortcutStartsANewQuery) {
    std::function<void()> batch;
    auto [windowServer, registration] =
        foundation::RunLoop::main()->addSource([&] { batch(); }, foundation::NSRunLoopCommonModes);
    showPanel();
    search("docs");
    press("escape");
    advance(0.2);
    batch = [this] {
        screen.pressKeys("shift+cmd+space");
        screen.pressKeys("g");
    };
    windowServer->signal();
    settle();
    EXPECT_EQ(viewModel->query.get(), "g");
}

TEST_F(SearchPanel, CopyCommandsToastTheirTextAndANewerToastReplacesTheShownOne) {
    showPanel();
    search("github");
    ASSERT_EQ(viewModel->results.get().front().url, "https://github.com/");
    auto pasteboard = [] { return appkit::Pasteboard::generalPasteboard()->stringForType(appkit::NSPasteboardTypeString); };
    press("cmd+c");
    EXPECT_TRUE(pasteboard() == "https://github.com/" && text("URL copied"));
    advance(0.3);
    auto toast = picture("search-panel-toast");  // a dark capsule 8 points above the bottom edge
    double y = controller->panel->frame().height() - 8 - 5;
    EXPECT_LT(red(*toast, 340, y), red(*toast, 60, y));
    advance(0.2);
    press("shift+cmd+c");
    EXPECT_EQ(pasteboard(), "[GitHub](https://github.com/)");
    advance(0.25);
    EXPECT_FALSE(text("URL copied"));
    advance(0.85);  // 1.1 s after the second
    EXPECT_TRUE(text("Markdown link copied"));
    advance(0.15), advance(0.25);  // removed at 1.2 s, then faded out
    EXPECT_FALSE(text("Markdown link copied"));

    search("weather");  // a failed opening reaches the panel as a toast
    press("return");
    EXPECT_TRUE(text("Could not open the bookmark"));
    EXPECT_EQ(viewModel->lastError.get(), std::nullopt);
}

// An opening that fails, at once (Edge is not installed) or when the browser will not launch
// (Brave's bundle has no program), leaves the panel showing with the toast, still counted;
// the panel waits for the user to move on.
TEST_F(SearchPanel, AFailedOpeningKeepsThePanelShowingWithItsToast) {
    home.write("Library/Application Support/Microsoft Edge/Default/Bookmarks",
               bookmarksFile({{"Edge notes", "https://notes.example.com/"}}, 0));
    struct Case {
        std::string query, browser;
        std::function<void()> open;
    };
    const std::vector<Case> cases = {{"edge notes", "edge", [this] { press("return"); }},
                                     {"weather", "brave", [this] { clickRow(0), clickRow(0); }}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.browser);
        showPanel();
        search(test.query);
        test.open();
        EXPECT_TRUE(controller->isShowing && controller->panel->isKeyWindow() && overlayShown());
        EXPECT_TRUE(text("Could not open the bookmark"));
        advance(0.3);
        auto shown = picture("search-panel-open-failed-" + test.browser);
        double y = controller->panel->frame().height() - 8 - 5;  // the toast's dark capsule
        EXPECT_LT(red(*shown, 340, y), red(*shown, 60, y));
        auto events = testsupport::storedEvents(AMSDatabase::defaultPath());
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().name, "open_bookmark");
        EXPECT_EQ(events.back().parameters, R"({"browser":")" + test.browser + R"("})");
        advance(1.0), advance(0.25);  // removed 1.2 s after it came, then faded out
        EXPECT_TRUE(controller->isShowing && !text("Could not open the bookmark"));
        press("escape");
        EXPECT_FALSE(controller->isShowing);
    }
}

// A query wider than the field scrolls while typed: the caret after its last letter, the one
// dark line as tall as the text, stands at the field's trailing end.
TEST_F(SearchPanel, ALongQueryScrollsSoTheCaretAndItsEndStayInView) {
    showPanel();
    search("kestrel field notes from the birds example org page about hovering over the moor at dusk");
    auto image = picture("search-panel-long-query");
    auto field = layout().find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::representable; })->frame;
    std::vector<int> tallDarkColumns;
    for (int x = int(field.minX()); x < int(field.maxX()); ++x) {
        int run = 0, longest = 0;
        for (int y = int(field.minY()); y < int(field.maxY()); ++y)
            longest = std::max(longest, run = red(*image, x, y) < 100 ? run + 1 : 0);
        if (longest >= 24) tallDarkColumns.push_back(x);
    }
    ASSERT_EQ(tallDarkColumns.size(), 1u);
    EXPECT_GE(tallDarkColumns[0], field.maxX() - 8);
}

// Select all shows what typing would replace: the query on the selected-text background.
TEST_F(SearchPanel, ASelectedQueryIsDrawnOnTheSelectionBackground) {
    showPanel();
    search("kestrel");
    press("cmd+a");
    auto image = picture("search-panel-selected-query");
    auto field = layout().find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::representable; })->frame;
    auto highlight = render::Renderer::renderNode(ui::Rectangle().fill(appkit::Color::selectedTextBackgroundColor()), {1, 1});
    int highlighted = 0;
    for (int x = int(field.minX()); x < int(field.maxX()); ++x)
        highlighted += image->pixel(x, int(field.midY()) - 12) == highlight->pixel(0, 0);
    EXPECT_GT(highlighted, 60);  // "kestrel" in 24 points, from the field's leading inset
    EXPECT_LT(highlighted, 120);
}

TEST_F(SearchPanel, PictureInTheDarkAppearance) {
    testsupport::writePlatformSettings("<key>AppleLanguages</key><array><string>en</string></array>"
                                       "<key>AppleInterfaceStyle</key><string>Dark</string>");
    showPanel();
    search("dev");
    press("down");
    advance(0.2);
    EXPECT_FALSE(selectedRowIsDarker(*picture("search-panel-results-dark")));
}

}  // namespace
