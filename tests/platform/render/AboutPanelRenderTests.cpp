#include "platform/appkit/Application.hpp"
#include "platform/appkit/ImageView.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Pixels in the rectangle much darker than the light window background: drawn text.
int darkPixelsIn(const appkit::Image& image, const appkit::Rect& rect) {
    int count = 0;
    for (int y = static_cast<int>(rect.minY()); y < static_cast<int>(rect.maxY()); ++y)
        for (int x = static_cast<int>(rect.minX()); x < static_cast<int>(rect.maxX()); ++x)
            count += ((image.pixel(x, y) >> 24) & 0xFF) < 0x80;
    return count;
}

}  // namespace

TEST(AboutPanelRendering, DrawsTheApplicationsIconAboveItsNameVersionAndWrappedCredits) {
    auto bundle = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Kestrelvault.app";
    std::filesystem::create_directories(bundle / "Contents/Resources");
    std::ofstream(bundle / "Contents/Info.plist") << testsupport::stringDictionaryPlist(
        {{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}, {"CFBundleName", "Kestrelvault"},
         {"CFBundleShortVersionString", "1.0"}, {"CFBundleVersion", "1"}, {"CFBundleIconFile", "AppIcon"}});
    ASSERT_TRUE(render::writePNG(*appkit::Image::filled(128, 128, 0xE8731AFF), bundle / "Contents/Resources/AppIcon.png"));
    foundation::Bundle::setMainBundlePathForTesting(bundle);

    appkit::Application::shared()->orderFrontStandardAboutPanelWithOptions(
        {appkit::AttributedString{"Search bookmarks across all browsers and profiles.", appkit::Font::systemFontOfSize(11)}});
    auto panel = appkit::WindowList::shared().keyWindow();
    ASSERT_NE(panel, nullptr);
    auto image = render::Renderer::snapshot(*panel);
    ASSERT_TRUE(render::writePNG(*image, std::filesystem::path(KV_BINARY_DIR) / "about-panel.png"));

    // Snapshot rows run top down, below the 28-point title bar; view frames run bottom up.
    double contentHeight = panel->contentView()->frame().height();
    auto onImage = [&](const appkit::Rect& frame) {
        return appkit::Rect(frame.minX(), appkit::Window::titleBarHeight + contentHeight - frame.maxY(), frame.width(), frame.height());
    };
    const auto& views = panel->contentView()->subviews();
    ASSERT_EQ(views.size(), 4u);
    auto icon = onImage(views[0]->frame());
    EXPECT_EQ(image->pixel(static_cast<int>(icon.midX()), static_cast<int>(icon.midY())), 0xE8731AFFu);
    for (std::size_t row = 1; row < views.size(); ++row)
        EXPECT_GT(darkPixelsIn(*image, onImage(views[row]->frame())), 20) << "row " << row;
    // The credits are wider than the panel at 11 points, so they wrap onto a second line.
    auto credits = onImage(views[3]->frame());
    auto firstLine = appkit::Rect(credits.minX(), credits.minY(), credits.width(), credits.height() / 2);
    auto secondLine = appkit::Rect(credits.minX(), credits.midY(), credits.width(), credits.height() / 2);
    EXPECT_GT(darkPixelsIn(*image, firstLine), 20);
    EXPECT_GT(darkPixelsIn(*image, secondLine), 20);
    appkit::Application::resetForTesting();
}
