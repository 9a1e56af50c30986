#include "tests/app/shell/PanelFixture.hpp"

#include "app/bookmarks/ProfileSettings.hpp"
#include "platform/appkit/Pasteboard.hpp"

#include <algorithm>
#include <cmath>

namespace paneltest {
namespace {

bool shows(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(PanelTest, TheHeightFollowsTheResultsAndTheTopEdgeStaysWhereItWas) {
    showPanel();
    struct Case {
        std::string query;
        std::size_t results;
        double height;
        std::string message;
    };
    // From a blank panel, a query without matches needs the message's room although the
    // count stays 0; the list gives way when the panel is capped, so the hints stay whole.
    const std::vector<Case> cases = {{"", 0, 68, ""},         {"zzz", 0, 125, "No matching bookmarks"},
                                     {"kestrel", 1, 167, ""}, {"dev", 6, 457, ""},
                                     {"git", 12, 480, ""},     {"", 0, 68, ""}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.query);
        search(test.query);
        EXPECT_EQ(viewModel->results.get().size(), test.results);
        const auto& frame = controller->panel->frame();
        EXPECT_EQ(frame.height(), test.height);
        EXPECT_EQ(frame.maxY(), *controller->panelTopY);
        if (!test.message.empty()) EXPECT_TRUE(shows(shownTexts(), test.message));
        if (test.results > 0) EXPECT_LE(rowFrame(0).minY(), frame.height());
    }
    EXPECT_EQ(listFrame().height(), 0);

    // With every browser off nothing is loaded: the message says so, with the room it needs.
    kestrelvault::ProfileSettings::shared()->disabledBrowsers = std::set<std::string>{"chrome", "brave", "edge", "safari"};
    press("escape");
    showPanel();
    EXPECT_TRUE(shows(shownTexts(), "No bookmarks found"));
    EXPECT_EQ(controller->panel->frame().height(), 125);
}

TEST_F(PanelTest, ArrowsMoveTheSelectionAndScrollItToTheMiddleWhileClicksOnlySelect) {
    showPanel();
    search("git");
    auto list = listFrame();
    for (int step = 0; step < 5; ++step) press("down");
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 5);
    EXPECT_NEAR(rowFrame(5).midY(), list.midY(), 1);

    for (int step = 0; step < 6; ++step) press("up");  // past the first row to the last
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 11);
    EXPECT_NEAR(rowFrame(11).maxY(), list.maxY(), 1);

    // Clicks on two rows within the double-click interval select the second only.
    auto before = rowFrame(9);
    clickRow(9);
    clickRow(8);
    advance(0.2);
    EXPECT_EQ(viewModel->selectedIndex.get(), 8);
    EXPECT_TRUE(controller->isShowing);
    EXPECT_EQ(rowFrame(9), before);
}

TEST_F(PanelTest, CopyCommandsToastTheirTextAndANewerToastReplacesTheShownOne) {
    showPanel();
    search("github");
    ASSERT_EQ(viewModel->results.get().front().url, "https://github.com/");
    auto pasteboard = [] { return appkit::Pasteboard::generalPasteboard()->stringForType(appkit::NSPasteboardTypeString); };
    press("cmd+c");
    EXPECT_EQ(pasteboard(), "https://github.com/");
    EXPECT_TRUE(shows(shownTexts(), "URL copied"));
    advance(0.5);
    press("shift+cmd+c");
    EXPECT_EQ(pasteboard(), "[GitHub](https://github.com/)");
    advance(0.25);
    EXPECT_FALSE(shows(shownTexts(), "URL copied"));
    advance(0.85);  // 1.1 s after the second: still there
    EXPECT_TRUE(shows(shownTexts(), "Markdown link copied"));
    advance(0.15);  // removed at 1.2 s, fading out
    advance(0.25);
    EXPECT_FALSE(shows(shownTexts(), "Markdown link copied"));

    // A failed opening (Brave's bundle has no program) reaches the panel as a toast.
    search("weather");
    press("return");
    advance(0.2);
    EXPECT_TRUE(shows(shownTexts(), "Could not open the bookmark"));
    EXPECT_EQ(viewModel->lastError.get(), std::nullopt);
}

TEST_F(PanelTest, PicturesOfThePanelEmptyWithResultsInBothAppearancesAndWithAToast) {
    // The selected row is darker than its neighbour in light appearance and lighter in dark.
    auto rowShade = [this](const appkit::Image& image, int index) {
        auto rgba = image.pixel(600, static_cast<int>(rowFrame(index).midY()));
        return (rgba >> 24) + ((rgba >> 16) & 0xFF) + ((rgba >> 8) & 0xFF);
    };
    showPanel();
    savePicture("search-panel-empty");
    search("git");
    press("down");
    advance(0.2);
    auto light = savePicture("search-panel-results-light");
    EXPECT_LT(rowShade(*light, 1), rowShade(*light, 2));
    press("cmd+c");
    advance(0.3);
    auto toast = savePicture("search-panel-toast");
    EXPECT_LT(toast->pixel(340, 480 - 8 - 5) >> 24, 0x80u);  // the dark capsule above the bottom edge
    press("escape");
    advance(0.2);

    useDarkAppearance();
    controller = kestrelvault::PanelController::create(viewModel);
    showPanel();
    search("dev");
    press("down");
    advance(0.2);
    auto dark = savePicture("search-panel-results-dark");
    EXPECT_GT(rowShade(*dark, 1), rowShade(*dark, 2));
}

}  // namespace
}  // namespace paneltest
