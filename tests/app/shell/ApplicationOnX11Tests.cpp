// The assembled application as its own process on an X server of the test's own, used as a
// person uses it: the shortcut, typing, the copy key and Return, with another application in
// front before and after.
#include "app/shell/PanelController.hpp"
#include "app/shell/SearchPanelView.hpp"
#include "corpus/CorpusGenerator.hpp"
#include "desktop/DesktopClient.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/render/Canvas.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/VirtualDisplay.hpp"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace std::chrono_literals;

// Chrome with the profiles "Personal" and "Work", Brave, each a browser that records how it
// was launched; the welcome of a first launch already seen.
void writeHome(const testsupport::TemporaryHome& home) {
    fixtures::writeBrowserProfiles("Git branching game", "https://branching.example.org/");
    testsupport::installRecordingApplication(home, "Chrome", "com.zadizu.Chrome");
    testsupport::installRecordingApplication(home, "Brave Browser", "com.brave.Browser");
    foundation::UserDefaults::initWithSuiteName("com.kestrelvault.Kestrelvault")->setBool(true, "hasLaunchedBefore");
}

// The test build's executable laid out as the application bundle, without the favicon
// service, whose address would be looked up on the network.
std::filesystem::path assembleBundle(const testsupport::TemporaryHome& home) {
    auto bundle = home.path() / "Applications" / "Kestrelvault.app";
    auto assembled =
        desktop::RunningTool::start({KV_SOURCE_DIR "/scripts/assemble-app", KV_BINARY_DIR, bundle.string()}, {});
    if (!assembled || !assembled->waitForEnd(60s) || assembled->status() != 0) return {};
    auto info = bundle / "Contents" / "Info.plist";
    auto plist = testsupport::readFile(info).value_or("");
    home.write(info.lexically_relative(home.path()),
               std::regex_replace(plist, std::regex("<key>KVFaviconServiceURL</key>\\s*<string>[^<]*</string>"), ""));
    return bundle / "Contents" / "MacOS" / "Kestrelvault";
}

// The lines of dark text between two columns of the picture, within the rows given: a
// result's title is one. Rows of a line may be apart by a few of antialiased text.
int linesOfDarkText(const appkit::Image& picture, int left, int right, int top, int bottom) {
    int lines = 0;
    int lastDark = top - 100;
    for (int y = top; y < bottom; ++y) {
        bool dark = false;
        for (int x = left; x < right && !dark; ++x) {
            std::uint32_t pixel = picture.pixel(x, y);
            dark = (pixel >> 24) + ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) < 3 * 80;
        }
        if (!dark) continue;
        lines += y - lastDark > 8;
        lastDark = y;
    }
    return lines;
}

class ApplicationOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        KV_SKIP_WITHOUT_VIRTUAL_DISPLAY(server);
        writeLibrary();
        auto executable = assembleBundle(home);
        ASSERT_FALSE(executable.empty()) << "the bundle could not be assembled";
        auto connected = desktop::DesktopClient::connect(server.name());
        ASSERT_TRUE(connected) << connected.error();
        desktop = std::move(*connected);
        ASSERT_TRUE(desktop->showApplicationWindow("Editor", 40, 40, 400, 300));
        application = server.start({executable.string()}, "", desktop::ErrorOutput::withOutput);
        ASSERT_TRUE(application);
    }

    virtual void writeLibrary() { writeHome(home); }
    // Presses the shortcut until it no longer reaches the editor in front: the application
    // holds it, and that press shows the panel.
    bool shortcutShowsThePanel() {
        bool held = desktop->waitUntil(
            [&] {
                xdotool({"key", "shift+super+space"});
                return !desktop->wasTypedIntoApplicationWindow(' ') || !applicationRuns();
            },
            60s);
        return held && applicationRuns() && panelHasTheFocus();
    }
    bool panelHasTheFocus() {
        return desktop->waitUntil([&] { return panel() && desktop->focus() == panel()->identifier; }, 20s);
    }
    // The panel is gone and the editor that was in front has the focus again.
    bool editorHasTheFocus() {
        return desktop->waitUntil([&] { return !panel() && desktop->focus() == desktop->applicationWindow(); }, 10s);
    }
    void xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        ASSERT_EQ(server.run(arguments).status, 0);
    }
    std::string clipboard() { return server.run({"xclip", "-o", "-selection", "clipboard"}).output; }
    // The application's windows that draw, the panel among them once it shows.
    std::optional<desktop::ServerWindow> panel() {
        for (const auto& window : desktop->windowsOf(application->process()))
            if (window.width == kestrelvault::PanelController::panelWidth) return window;
        return std::nullopt;
    }
    static int panelHeight(std::size_t rows, const std::string& query) {
        return int(kestrelvault::SearchPanelView::panelHeight(rows, query,
                                                              kestrelvault::SearchPanelView::ResultsArea::resultList));
    }
    bool applicationRuns() { return !application->finished(); }

    testsupport::VirtualDisplay server;
    testsupport::TemporaryHome home;
    std::unique_ptr<desktop::DesktopClient> desktop;
    std::unique_ptr<desktop::RunningTool> application;
};

}  // namespace

TEST_F(ApplicationOnX11, TheShortcutSearchesAndTheChoiceOpensInItsProfileOrGoesToTheClipboard) {
    ASSERT_TRUE(shortcutShowsThePanel()) << application->output();

    xdotool({"type", "git"});
    ASSERT_TRUE(desktop->waitUntil([&] { return panel() && panel()->height == panelHeight(3, "git"); }, 20s))
        << application->output();
    // Between the search row and the key hints, the three titles are drawn in dark text.
    std::shared_ptr<appkit::Image> screenshot;
    auto shown = *panel();
    int lines = 0;
    EXPECT_TRUE(desktop->waitUntil(
        [&] {
            screenshot = desktop->screenshot();
            lines =
                linesOfDarkText(*screenshot, shown.x + 100, shown.x + 400, shown.y + 72, shown.y + shown.height - 32);
            return lines == 3;
        },
        10s))
        << lines << " lines of titles";
    std::filesystem::create_directories(std::filesystem::path(KV_BINARY_DIR) / "pictures");
    EXPECT_TRUE(
        render::writePNG(*screenshot, std::filesystem::path(KV_BINARY_DIR) / "pictures" / "x11-search-panel.png"));

    // Narrowed to the second Chrome profile's bookmark: the copy key, then Return.
    xdotool({"type", " hooks"});
    ASSERT_TRUE(desktop->waitUntil([&] { return panel() && panel()->height == panelHeight(1, "git hooks"); }, 20s));
    xdotool({"key", "super+c"});
    EXPECT_TRUE(desktop->waitUntil([&] { return clipboard() == "https://hooks.example.com/"; }, 10s)) << clipboard();
    xdotool({"key", "Return"});
    EXPECT_TRUE(desktop->waitUntil([&] { return !testsupport::recordedLaunches(home, "Chrome").empty(); }, 20s));
    EXPECT_EQ(testsupport::recordedLaunches(home, "Chrome"),
              (std::vector<std::vector<std::string>>{{"--profile-directory=Profile 1", "https://hooks.example.com/"}}));
    EXPECT_TRUE(testsupport::recordedLaunches(home, "Brave Browser").empty());
    EXPECT_TRUE(editorHasTheFocus());
    EXPECT_TRUE(applicationRuns()) << application->output();
}

// A generated library large enough that, before the application held the keyboard from the
// shortcut's press, the first letters typed after it went to the editor in every round.
class ApplicationOnX11OverALargeLibrary : public ApplicationOnX11 {
    void writeLibrary() override {
        corpus::CorpusOptions options;
        options.count = 10000;
        corpus::writeCorpus(home.path(), options);
        foundation::UserDefaults::initWithSuiteName("com.kestrelvault.Kestrelvault")->setBool(true, "hasLaunchedBefore");
    }
};

// The shortcut and a word typed 8 ms apart at once, 20 times: the word is in the search field
// (copied from it with ⌘A ⌘C), no letter in the editor; closed by Escape or the shortcut in
// turn, the panel leaves the keyboard to the editor.
TEST_F(ApplicationOnX11OverALargeLibrary, EveryKeyTypedRightAfterTheShortcutReachesTheSearchField) {
    ASSERT_TRUE(shortcutShowsThePanel()) << application->output();
    xdotool({"key", "Escape"});
    for (int round = 1; round <= 20; ++round) {
        const std::string word = "docs" + std::to_string(round);
        SCOPED_TRACE(word);
        ASSERT_TRUE(editorHasTheFocus());
        xdotool({"key", "x"});
        EXPECT_TRUE(desktop->waitUntil([&] { return desktop->wasTypedIntoApplicationWindow('x'); }, 10s));

        xdotool({"key", "shift+super+space", "type", "--delay", "8", word});
        bool firstLetterInEditor = false;
        desktop->waitUntil(
            [&] {
                xdotool({"key", "super+a", "super+c"});
                firstLetterInEditor = firstLetterInEditor || desktop->wasTypedIntoApplicationWindow('d');
                return clipboard() == word || firstLetterInEditor;
            },
            20s);
        ASSERT_EQ(clipboard(), word) << (firstLetterInEditor ? "the editor got the first letter" : "");
        ASSERT_TRUE(panelHasTheFocus());
        xdotool({"key", round % 2 ? "Escape" : "shift+super+space"});
    }
}
