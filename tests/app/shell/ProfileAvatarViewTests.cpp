#include "app/bookmarks/ProfileAvatarResolver.hpp"
#include "app/bookmarks/ProfileAvatarView.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/Layout.hpp"
#include "tests/app/shell/ShellFixtures.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kestrelvault::BrowserType;
using kestrelvault::ProfileAvatarView;

namespace {

std::shared_ptr<appkit::Image> renderAvatar(BrowserType browser, const std::string& directory, const std::string& name) {
    return render::Renderer::renderNode(ui::make<ProfileAvatarView>(browser, directory, name, 20.0), {20, 20});
}

std::string shownText(BrowserType browser, const std::string& name) {
    auto host = ui::Host::make(ui::make<ProfileAvatarView>(browser, "Default", name, 16.0));
    const auto& layout = host->layout(ui::Rect(0, 0, 16, 16));
    const auto* text = layout.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::text; });
    return text ? text->data<ui::TextData>().text : "(no text)";
}

}  // namespace

TEST(ProfileAvatarView, AProfilePictureIsDrawnClippedToACircle) {
    auto base = fixtures::home() / "Library/Application Support/Zadizu/Chrome";
    fixtures::writeFile(base / "Local State",
                        R"({"profile":{"info_cache":{"Default":{"name":"Kim","use_gaia_picture":true,)"
                        R"("gaia_picture_file_name":"Profile Picture.png"}}}})");
    fixtures::writeFile(base / "Default/Profile Picture.png", fixtures::pngBytes(40, 40, 0x2040C0FF));

    auto image = renderAvatar(BrowserType::chrome, "Default", "Kim");
    EXPECT_EQ(image->pixel(10, 10), 0x2040C0FFu);
    EXPECT_EQ(image->pixel(3, 10), 0x2040C0FFu);
    EXPECT_EQ(image->pixel(0, 0) & 0xFF, 0u);
    EXPECT_EQ(image->pixel(19, 19) & 0xFF, 0u);
}

TEST(ProfileAvatarView, APictureFillsTheCircleKeepingItsAspectAndLosesWhatOverflows) {
    // 40 × 20 points: a red quarter on the left, blue beyond it.
    auto picture = render::Renderer::renderNode(
        ui::HStack({ui::Rectangle().fill(appkit::Color::rgba(1, 0, 0)).frame(10.0, 20.0),
                    ui::Rectangle().fill(appkit::Color::rgba(0, 0, 1)).frame(30.0, 20.0)},
                   ui::VerticalAlignment::center, 0.0),
        {40, 20});
    auto base = fixtures::home() / "Library/Application Support/Zadizu/Chrome";
    fixtures::writeFile(base / "Local State",
                        R"({"profile":{"info_cache":{"Wide":{"name":"Kim","use_gaia_picture":true,)"
                        R"("gaia_picture_file_name":"wide.png"}}}})");
    std::filesystem::create_directories(base / "Wide");
    ASSERT_TRUE(render::writePNG(*picture, base / "Wide/wide.png"));

    auto image = renderAvatar(BrowserType::chrome, "Wide", "Kim");
    constexpr std::uint32_t blue = 0x0000FFFF;
    EXPECT_EQ(image->pixel(2, 10), blue);   // stretched to the square, the red quarter would show here
    EXPECT_EQ(image->pixel(10, 2), blue);   // fitted inside it, the top would stay empty
    EXPECT_EQ(image->pixel(17, 10), blue);
}

TEST(ProfileAvatarView, WithoutAPictureTheFirstCharacterIsWrittenAsItStands) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"alice", "a"}, {"Bob", "B"}, {"👩‍💻 Work", "👩‍💻"}, {"Émile", "É"}, {"山田", "山"}, {"", ""}};
    for (const auto& [name, first] : cases) EXPECT_EQ(shownText(BrowserType::safari, name), first) << name;
}

TEST(ProfileAvatarView, TheLetterIsWhiteOnAGreyCircle) {
    auto image = renderAvatar(BrowserType::safari, "Default", "m");
    auto grey = appkit::Color::systemGrayColor().resolved(appkit::Appearance::light);
    std::uint32_t expectedGrey = (static_cast<std::uint32_t>(grey.red * 255 + 0.5) << 24) |
                                 (static_cast<std::uint32_t>(grey.green * 255 + 0.5) << 16) |
                                 (static_cast<std::uint32_t>(grey.blue * 255 + 0.5) << 8) | 0xFF;
    EXPECT_EQ(image->pixel(2, 10), expectedGrey);  // inside the circle, left of the letter
    EXPECT_EQ(image->pixel(0, 0) & 0xFF, 0u);      // outside the circle
    int white = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) white += image->pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_GT(white, 5);
}

TEST(ProfileAvatarView, TheLetterIsBoldAtFiftySixHundredthsOfTheSizeCentredOnTheCircle) {
    for (double size : {16.0, 20.0, 40.0}) {
        auto host = ui::Host::make(ui::make<ProfileAvatarView>(BrowserType::safari, "Default", "W", size));
        const auto& layout = host->layout(ui::Rect(0, 0, size, size));
        const auto* letter = layout.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::text; });
        const auto* circle = layout.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::shape; });
        ASSERT_NE(letter, nullptr) << size;
        ASSERT_NE(circle, nullptr) << size;
        auto font = ui::Layout::effectiveFont(letter->environment);
        EXPECT_DOUBLE_EQ(font.pointSize, size * 0.56) << size;
        EXPECT_EQ(font.weight, appkit::Font::Weight::bold) << size;
        EXPECT_EQ(font.design, appkit::Font::Design::standard) << size;
        EXPECT_EQ(circle->frame, ui::Rect(0, 0, size, size)) << size;
        EXPECT_NEAR(letter->frame.midX(), size / 2, 0.5) << size;
        EXPECT_NEAR(letter->frame.midY(), size / 2, 0.5) << size;
    }
}

