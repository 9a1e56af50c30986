#include "platform/appkit/Application.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <fstream>

using namespace appkit;

namespace {

// Pixels in the rectangle much darker than the light window background: drawn text.
int darkPixelsIn(const Image& image, const Rect& rect) {
    int count = 0;
    for (int y = static_cast<int>(rect.minY()); y < static_cast<int>(rect.maxY()); ++y)
        for (int x = static_cast<int>(rect.minX()); x < static_cast<int>(rect.maxX()); ++x)
            count += ((image.pixel(x, y) >> 24) & 0xFF) < 0x80;
    return count;
}

std::vector<std::string> texts(const Window& window) {
    std::vector<std::string> found;
    for (const auto& view : window.contentView()->subviews())
        if (auto field = std::dynamic_pointer_cast<TextField>(view)) found.push_back(field->stringValue());
    return found;
}

}  // namespace

TEST(AboutPanel, ShowsTheIconNameVersionAndWrappedCreditsOnePanelWhileItIsOpen) {
    auto bundle = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Kestrelvault.app";
    std::filesystem::create_directories(bundle / "Contents/Resources");
    std::ofstream(bundle / "Contents/Info.plist") << testsupport::stringDictionaryPlist(
        {{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}, {"CFBundleName", "Kestrelvault"},
         {"CFBundleShortVersionString", "1.0"}, {"CFBundleVersion", "7"}, {"CFBundleIconFile", "AppIcon"}});
    ASSERT_TRUE(render::writePNG(*Image::filled(128, 128, 0xE8731AFF), bundle / "Contents/Resources/AppIcon.png"));
    foundation::Bundle::setMainBundlePathForTesting(bundle);
    std::string credits = "Search bookmarks across all browsers and profiles.";

    Application::shared()->orderFrontStandardAboutPanelWithOptions({AttributedString{credits, Font::systemFontOfSize(11)}});
    auto panel = WindowList::shared().keyWindow();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(texts(*panel), (std::vector<std::string>{"Kestrelvault", "Version 1.0 (7)", credits}));
    const auto& views = panel->contentView()->subviews();
    ASSERT_EQ(views.size(), 4u);
    EXPECT_EQ(std::dynamic_pointer_cast<TextField>(views[3])->font(), Font::systemFontOfSize(11));

    auto image = render::Renderer::snapshot(*panel);
    ASSERT_TRUE(render::writePNG(*image, std::filesystem::path(KV_BINARY_DIR) / "about-panel.png"));
    // Snapshot rows run top down below the title bar; view frames run bottom up.
    auto onImage = [&](const Rect& frame) {
        return Rect(frame.minX(), Window::titleBarHeight + panel->contentView()->frame().height() - frame.maxY(),
                    frame.width(), frame.height());
    };
    auto icon = onImage(views[0]->frame());
    EXPECT_EQ(image->pixel(static_cast<int>(icon.midX()), static_cast<int>(icon.midY())), 0xE8731AFFu);
    // At 11 points the credits are wider than the panel: they wrap onto a second line.
    auto area = onImage(views[3]->frame());
    EXPECT_GT(darkPixelsIn(*image, Rect(area.minX(), area.minY(), area.width(), area.height() / 2)), 20);
    EXPECT_GT(darkPixelsIn(*image, Rect(area.minX(), area.midY(), area.width(), area.height() / 2)), 20);

    Application::shared()->orderFrontStandardAboutPanelWithOptions({});
    EXPECT_EQ(WindowList::shared().keyWindow(), panel) << "one panel while it is open";
    panel->close();
    Application::shared()->orderFrontStandardAboutPanelWithOptions({});
    ASSERT_NE(WindowList::shared().keyWindow(), panel);
    EXPECT_EQ(texts(*WindowList::shared().keyWindow()), (std::vector<std::string>{"Kestrelvault", "Version 1.0 (7)"}));
}
