#include "app/shell/WelcomeView.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/HeadlessDisplay.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/ui/HostingView.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/TextLayout.hpp"
#include "platform/render/Renderer.hpp"
#include "tests/app/shell/ShellFixtures.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kestrelvault::WelcomeView;

namespace {

class WelcomeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}}, fixtures::Resources::application);
        fixtures::preferLanguage("en");
        ui::setOpenSettingsAction([this] { ran.push_back("settings"); });
    }

    const ui::LayoutNode& layOut(std::function<void()> onSetupTapped, const std::string& description = {}) {
        if (!description.empty()) {
            // A translation of our own with a much longer description.
            auto lproj = fixtures::home() / "Bundles/Kestrelvault.app/Contents/Resources";
            std::filesystem::remove(lproj);
            std::filesystem::create_directories(lproj / "en.lproj");
            fixtures::writeFile(lproj / "en.lproj/Localizable.strings",
                                "\"welcome_title\" = \"Welcome\";\n\"welcome_description\" = \"" + description +
                                    "\";\n\"welcome_setup_button\" = \"Set Up\";\n");
        }
        host = ui::Host::make(ui::make<WelcomeView>(std::move(onSetupTapped)), ui::EnvironmentValues{});
        // Far wider than the panel: the view's own width must hold the content.
        return host->layout(ui::Rect(0, 0, 800, 600));
    }

    static const ui::LayoutNode* text(const ui::LayoutNode& root, const std::string& value) {
        return root.find([&](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::text && node.data<ui::TextData>().text == value; });
    }

    std::vector<std::string> ran;
    std::shared_ptr<ui::Host> host;
};

}  // namespace

TEST_F(WelcomeViewTest, IsThreeHundredSixtyWideWithContentInsetFortyOnEachSide) {
    const auto& root = layOut(nullptr);
    EXPECT_EQ(root.frame.width(), 360);
    const double left = root.frame.minX();
    const auto* icon = root.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::image; });
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->frame.size, (ui::Size{80, 80}));
    EXPECT_EQ(icon->frame.midX(), left + 180);
    EXPECT_EQ(icon->frame.minY() - root.frame.minY(), 40);
    const auto* title = text(root, "Welcome to Kestrelvault");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->frame.minY() - icon->frame.maxY(), 20);
    root.forEach([left](const ui::LayoutNode& node) {
        if (node.kind() == ui::NodeKind::text) {
            EXPECT_GE(node.frame.minX(), left + 40) << node.data<ui::TextData>().text;
            EXPECT_LE(node.frame.maxX(), left + 320) << node.data<ui::TextData>().text;
        }
    });
}

TEST_F(WelcomeViewTest, ALongDescriptionWrapsWithinTheContentWidthAndStaysCentred) {
    std::string description = "This translation of the description runs on and on, much longer than any line of the "
                              "window could hold, so that it has to wrap over several lines inside the content width.";
    const auto& root = layOut(nullptr, description);
    const auto* shown = text(root, description);
    ASSERT_NE(shown, nullptr);
    EXPECT_LE(shown->frame.width(), 280);
    EXPECT_GT(shown->frame.width(), 200);
    EXPECT_EQ(shown->frame.midX(), root.frame.midX());
    const auto* title = text(root, "Welcome");
    ASSERT_NE(title, nullptr);
    EXPECT_GT(shown->frame.height(), 2 * 13);  // more than one line of the body font

    // Drawn, the last and shorter line stands in the middle, not at the left edge.
    const double height = root.frame.height();
    auto image = render::Renderer::renderNode(ui::make<WelcomeView>(), {360, height}, ui::EnvironmentValues{});
    const auto* lines = text(host->layout(ui::Rect(0, 0, 360, height)), description);
    ASSERT_NE(lines, nullptr);
    double lineHeight = ui::TextLayout("W", ui::TextStyle{ui::Font::body(), std::nullopt, std::nullopt, ui::TextAlignment::leading, 0}).size().height;
    int minX = 360, maxX = -1;
    for (int y = static_cast<int>(lines->frame.maxY() - lineHeight + 3); y < static_cast<int>(lines->frame.maxY() - 2); ++y)
        for (int x = 0; x < 360; ++x)
            if (image->pixel(x, y) & 0xFF) minX = std::min(minX, x), maxX = std::max(maxX, x);
    ASSERT_LT(minX, maxX);
    EXPECT_GT(minX, lines->frame.minX() + 20);
    EXPECT_NEAR((minX + maxX) / 2.0, 180, 3);
}

TEST_F(WelcomeViewTest, TheButtonOpensSettingsAndRunsTheSetupAction) {
    const auto& root = layOut([this] { ran.push_back("setup"); });
    const auto* button = root.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::button; });
    ASSERT_NE(button, nullptr);
    EXPECT_GE(button->frame.width(), 180);
    EXPECT_EQ(button->frame.midX(), root.frame.midX());
    EXPECT_TRUE(host->tap({button->frame.midX(), button->frame.midY()}));
    EXPECT_EQ(ran, (std::vector<std::string>{"settings", "setup"}));
}

TEST_F(WelcomeViewTest, WithoutASetupActionTheButtonStillOpensSettings) {
    const auto& root = layOut(nullptr);
    const auto* button = root.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::button; });
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(host->tap({button->frame.midX(), button->frame.midY()}));
    EXPECT_EQ(ran, (std::vector<std::string>{"settings"}));
}

TEST_F(WelcomeViewTest, AClickOnTheButtonInTheWelcomePanelRunsBothActions) {
    foundation::Clock::installManual();
    display::HeadlessDisplay display;
    auto panel = appkit::Window::make(appkit::Rect(0, 0, 360, 300),
                                        appkit::WindowStyleMask::titled | appkit::WindowStyleMask::closable);
    auto hosting = ui::HostingView::make(ui::make<WelcomeView>([this] { ran.push_back("setup"); }));
    panel->setContentView(hosting);
    panel->center();
    panel->makeKeyAndOrderFront();
    const auto* button = hosting->host()->lastLayout()->find(
        [](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::button; });
    ASSERT_NE(button, nullptr);
    // The hosting view counts from the top; the window from the bottom.
    display.click({button->frame.midX(), 300 - button->frame.midY()});
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(ran, (std::vector<std::string>{"settings", "setup"}));

    ran.clear();
    display.click({5, 5});
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_TRUE(ran.empty());
}
