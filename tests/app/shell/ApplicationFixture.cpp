#include "tests/app/shell/ApplicationFixture.hpp"

#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/HostingView.hpp"
#include "tests/app/shell/ShellFixtures.hpp"

namespace fixtures {

namespace {

void installBrowser(const std::string& name, kestrelvault::BrowserType browser, std::uint32_t iconColor) {
    installApplication(name, std::string(kestrelvault::bundleIdentifier(browser)), iconColor);
}

}  // namespace

void ApplicationTest::SetUp() {
    writeBrowserProfiles("Kestrel field notes", "https://birds.example.org/");
    installBrowser("Chrome", kestrelvault::BrowserType::chrome, 0x34A853FF);
    installBrowser("Brave Browser", kestrelvault::BrowserType::brave, 0xFB542BFF);
    installBrowser("Safari", kestrelvault::BrowserType::safari, 0x1E90FFFF);
    prepareProcess();
}

void ApplicationTest::TearDown() {
    advance(1);  // nothing delayed outlives the test
    application.reset();
    screen.reset();
}

void ApplicationTest::prepareProcess() {
    foundation::Clock::installManual();
    auto info = bundleInfo;
    info.insert({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}, {"CFBundleName", "Kestrelvault"},
                 {"CFBundleExecutable", "Kestrelvault"}, {"CFBundleIconFile", "AppIcon"}, {"LSUIElement", "YES"}});
    useMainBundle(info, Resources::application);
    auto program = home.write("Bundles/Kestrelvault.app/Contents/MacOS/Kestrelvault", "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    preferLanguage("en");
    screen = std::make_unique<display::HeadlessDisplay>();
    screen->setFrontmostApplication(editor);
}

void ApplicationTest::launch() {
    // The shortcut's name is made once per process; a new store gets its default again.
    if (!GlobalShortcuts::userDefaultsContains(kestrelvault::toggleSearch()))
        GlobalShortcuts::reset(kestrelvault::toggleSearch());
    application = ui::LaunchedApplication::launch(std::make_unique<kestrelvault::KestrelvaultApp>());
}

void ApplicationTest::relaunch() {
    settle();
    application.reset();
    screen.reset();
    foundation::resetProcessWideStateForTesting();  // the home and its files stay
    prepareProcess();
    launch();
}

kestrelvault::AppDelegate& ApplicationTest::delegate() const {
    return *static_cast<kestrelvault::KestrelvaultApp&>(application->app()).appDelegate.wrappedValue();
}

void ApplicationTest::settle() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }

void ApplicationTest::advance(double seconds) {
    foundation::Clock::advance(std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9)));
    settle();
}

void ApplicationTest::press(const std::string& keys) {
    screen->pressKeys(keys);
    settle();
}

void ApplicationTest::openMenu() {
    ASSERT_TRUE(screen->clickStatusItem());
    settle();
    ASSERT_TRUE(application->menuBarExtra()->openMenu());
}

bool ApplicationTest::clickMenuItem(const std::string& title) {
    auto menu = application->menuBarExtra()->openMenu();
    return menu && clickText(*menu->window(), title);
}

const ui::LayoutNode& ApplicationTest::layoutOf(const appkit::Window& window) {
    return *std::dynamic_pointer_cast<ui::HostingView>(window.contentView())->host()->lastLayout();
}

const ui::LayoutNode* ApplicationTest::findText(const appkit::Window& window, const std::string& text) {
    return layoutOf(window).find([&](const ui::LayoutNode& node) {
        return node.kind() == ui::NodeKind::text && node.data<ui::TextData>().text == text;
    });
}

std::optional<appkit::Point> ApplicationTest::screenPointOfText(const appkit::Window& window, const std::string& text) {
    const auto* node = findText(window, text);
    if (!node) return std::nullopt;
    // Layout coordinates grow down from the content's top; the screen's grow up.
    auto content = window.contentRectForFrameRect(window.frame());
    return appkit::Point{content.minX() + node->frame.midX(), content.maxY() - node->frame.midY()};
}

bool ApplicationTest::clickText(const appkit::Window& window, const std::string& text) {
    auto point = screenPointOfText(window, text);
    if (!point) return false;
    bool clicked = screen->clickOnScreen(*point);
    settle();
    return clicked;
}

std::shared_ptr<appkit::Image> ApplicationTest::picture(const appkit::Window& window, const std::string& name) const {
    auto image = render::Renderer::snapshot(window);
    std::filesystem::create_directories(std::filesystem::path(KV_BINARY_DIR) / "pictures");
    EXPECT_TRUE(render::writePNG(*image, std::filesystem::path(KV_BINARY_DIR) / "pictures" / (name + ".png")));
    return image;
}

std::filesystem::path ApplicationTest::autostartEntry() const {
    return home.path() / ".config/autostart/com.kestrelvault.Kestrelvault.desktop";
}

}  // namespace fixtures
