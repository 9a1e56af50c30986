#include "tests/app/shell/PanelFixture.hpp"

#include "GlobalShortcuts/CarbonGlobalShortcuts.hpp"
#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "analytics/engine/AMSAnalytics.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/HostingView.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/PlatformSettings.hpp"

namespace paneltest {

namespace {

using Link = std::pair<std::string, std::string>;

std::string links(const std::vector<Link>& bookmarks) {
    std::string json;
    for (const auto& [name, url] : bookmarks)
        json += std::string(json.empty() ? "" : ",") + R"({"type":"url","name":")" + name + R"(","url":")" + url + R"("})";
    return json;
}

// A profile's bookmarks: some in the bar's "Dev" folder, the others in the bar itself.
std::string bookmarksFile(const std::vector<Link>& inDev, const std::vector<Link>& inBar) {
    std::string dev = R"({"type":"folder","name":"Dev","children":[)" + links(inDev) + "]}";
    std::string bar = links(inBar);
    return R"({"roots":{"bookmark_bar":{"type":"folder","name":"Bar","children":[)" + dev + (bar.empty() ? "" : ",") +
           bar + "]}}}";
}

const ui::LayoutNode* identified(const ui::LayoutNode& root, const std::string& id) {
    return root.find([&](const ui::LayoutNode& node) {
        return node.kind() == ui::NodeKind::identified && node.data<ui::IdentifiedData>().id == id;
    });
}

}  // namespace

void PanelTest::SetUp() {
    foundation::Clock::installManual();
    fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}}, fixtures::Resources::application);
    fixtures::preferLanguage("en");
    ZIZAdu::configure();
    const std::string chrome = "Library/Application Support/Zadizu/Chrome/";
    home.write(chrome + "Default/Bookmarks",
               bookmarksFile({{"GitHub", "https://github.com/"}, {"GitLab", "https://gitlab.com/"},
                              {"Gitea", "https://gitea.io/"}, {"Git documentation", "https://git-scm.com/doc"},
                              {"Pro Git book", "https://git-scm.com/book"},
                              {"Learn Git Branching", "https://learngitbranching.js.org/"}},
                             {}));
    home.write(chrome + "Profile 1/Bookmarks",
               bookmarksFile({}, {{"Git cheat sheet", "https://education.github.com/git-cheat-sheet.pdf"},
                                  {"Git hooks guide", "https://githooks.com/"},
                                  {"Git flight rules", "https://github.com/k88hudson/git-flight-rules"},
                                  {"Git immersion", "https://gitimmersion.com/"},
                                  {"Git from the bottom up", "https://jwiegley.github.io/git-from-the-bottom-up/"},
                                  {"Think like a Git", "https://think-like-a-git.net/"}}));
    home.write("Library/Application Support/BraveSoftware/Brave-Browser/Default/Bookmarks",
               bookmarksFile({}, {{"Kestrel field notes", "https://birds.example.org/kestrel"},
                                  {"Weather", "https://weather.example.com/"}}));
    // Chrome records its launches and, like Brave, has an icon for the rows' badges.
    const std::string chromeIdentifier(kestrelvault::bundleIdentifier(kestrelvault::BrowserType::chrome));
    testsupport::installRecordingApplication(home, "Chrome", chromeIdentifier);
    home.write("Applications/Chrome.app/Contents/Info.plist",
               testsupport::stringDictionaryPlist({{"CFBundleIdentifier", chromeIdentifier},
                                                   {"CFBundleExecutable", "Chrome"},
                                                   {"CFBundleIconFile", "icon.png"}}));
    home.write("Applications/Chrome.app/Contents/Resources/icon.png", fixtures::pngBytes(32, 32, 0x34A853FF));
    fixtures::installApplication("Brave", std::string(kestrelvault::bundleIdentifier(kestrelvault::BrowserType::brave)),
                                 0xFB542BFF);

    viewModel = kestrelvault::SearchViewModel::create();
    controller = kestrelvault::PanelController::create(viewModel);
    // The name is made once per process, storing its default then; the store is new for
    // each test.
    const auto& toggleSearch = kestrelvault::toggleSearch();
    if (!GlobalShortcuts::userDefaultsContains(toggleSearch)) GlobalShortcuts::reset(toggleSearch);
    // As the application delegate registers it.
    GlobalShortcuts::onKeyUp(toggleSearch, [this] {
        if (controller->isShowing)
            controller->hide(kestrelvault::PanelController::FocusRestoration::previousApplication);
        else
            controller->show();
    });
    screen.setFrontmostApplication(editor);
}

void PanelTest::TearDown() {
    controller.reset();
    settle();
    appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
    GlobalShortcuts::resetForTesting();
    GlobalShortcuts::CarbonGlobalShortcuts::resetForTesting();
    carbon::EventManager::resetForTesting();
    appkit::Application::resetForTesting();
    appkit::Pasteboard::resetForTesting();
    kestrelvault::ProfileSettings::resetForTesting();
    AMSAnalytics::resetForTesting();
    ZIZAdu::resetForTesting();
}

void PanelTest::useDarkAppearance() {
    testsupport::writePlatformSettings(
        "<key>AppleLanguages</key><array><string>en</string></array>"
        "<key>AppleInterfaceStyle</key><string>Dark</string>");
}

void PanelTest::settle() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }

void PanelTest::advance(double seconds) {
    foundation::Clock::advance(std::chrono::duration_cast<foundation::Clock::Duration>(std::chrono::duration<double>(seconds)));
    settle();
}

void PanelTest::press(const std::string& keys) {
    screen.pressKeys(keys);
    settle();
}

void PanelTest::search(const std::string& text) {
    press("cmd+a");
    press("delete");
    for (char character : text) press(character == ' ' ? "space" : std::string(1, character));
}

void PanelTest::showPanel() {
    press("shift+cmd+space");
    advance(0.2);
}

void PanelTest::clickInPanel(appkit::Point point) {
    const auto& frame = controller->panel->frame();
    ASSERT_TRUE(screen.clickOnScreen({frame.minX() + point.x, frame.maxY() - point.y}));
    settle();
}

void PanelTest::clickRow(int index) {
    auto row = rowFrame(index);
    clickInPanel({row.midX(), row.midY()});
}

const ui::LayoutNode& PanelTest::layout() const {
    auto hosting = std::dynamic_pointer_cast<ui::HostingView>(controller->panel->contentView());
    return *hosting->host()->lastLayout();
}

appkit::Rect PanelTest::rowFrame(int index) const {
    const auto* row = identified(layout(), std::to_string(index));
    return row ? row->frame : appkit::Rect();
}

appkit::Rect PanelTest::listFrame() const {
    const auto* list = layout().find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::scroll; });
    return list ? list->frame : appkit::Rect();
}

std::vector<std::string> PanelTest::shownTexts() const {
    std::vector<std::string> texts;
    layout().forEach([&](const ui::LayoutNode& node) {
        if (node.kind() == ui::NodeKind::text) texts.push_back(node.data<ui::TextData>().text);
    });
    return texts;
}

std::vector<std::vector<std::string>> PanelTest::chromeLaunches() {
    settle();
    appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
    settle();
    return testsupport::recordedLaunches(home, "Chrome");
}

std::shared_ptr<appkit::Image> PanelTest::savePicture(const std::string& name) const {
    auto folder = std::filesystem::path(KV_BINARY_DIR) / "pictures";
    std::filesystem::create_directories(folder);
    auto image = render::Renderer::snapshot(*controller->panel);
    EXPECT_TRUE(render::writePNG(*image, folder / (name + ".png")));
    return image;
}

}  // namespace paneltest
