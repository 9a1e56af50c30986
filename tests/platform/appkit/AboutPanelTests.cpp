#include "platform/appkit/Application.hpp"
#include "platform/appkit/ImageView.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <fstream>

using namespace appkit;

namespace {

class AboutPanelTest : public ::testing::Test {
protected:
    void TearDown() override { Application::resetForTesting(); }

    // A main bundle whose Info.plist holds these entries (values are raw property-list XML).
    static void useInfo(const std::map<std::string, std::string>& entries) {
        auto bundle = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Kestrelvault.app";
        std::filesystem::create_directories(bundle / "Contents");
        std::ofstream plist(bundle / "Contents/Info.plist");
        plist << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>";
        for (const auto& [key, value] : entries) plist << "<key>" << key << "</key>" << value;
        plist << "</dict></plist>\n";
        foundation::Bundle::setMainBundlePathForTesting(bundle);
    }
    static std::vector<std::shared_ptr<TextField>> labels(const Window& window) {
        std::vector<std::shared_ptr<TextField>> found;
        for (const auto& view : window.contentView()->subviews())
            if (auto field = std::dynamic_pointer_cast<TextField>(view)) found.push_back(field);
        return found;
    }
};

}  // namespace

TEST_F(AboutPanelTest, ShowsTheIconNameVersionAndCreditsInFrontOnceWhileItIsOpen) {
    useInfo({{"CFBundleName", "<string>Kestrelvault</string>"},
             {"CFBundleShortVersionString", "<string>1.0</string>"},
             {"CFBundleVersion", "<string>7</string>"}});
    auto application = Application::shared();
    AboutPanelOptions options{AttributedString{"Search bookmarks across all browsers and profiles.", Font::systemFontOfSize(11)}};
    application->orderFrontStandardAboutPanelWithOptions(options);

    auto panel = WindowList::shared().keyWindow();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    auto texts = labels(*panel);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0]->stringValue(), "Kestrelvault");
    EXPECT_EQ(texts[1]->stringValue(), "Version 1.0 (7)");
    EXPECT_EQ(texts[2]->stringValue(), "Search bookmarks across all browsers and profiles.");
    EXPECT_EQ(texts[2]->font(), Font::systemFontOfSize(11));
    // Top to bottom, in a window whose coordinates grow upwards.
    EXPECT_GT(texts[0]->frame().minY(), texts[1]->frame().maxY());
    EXPECT_GT(texts[1]->frame().minY(), texts[2]->frame().maxY());
    auto icon = std::dynamic_pointer_cast<ImageView>(panel->contentView()->subviews().front());
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon->image(), nullptr);
    EXPECT_GT(icon->frame().minY(), texts[0]->frame().maxY());

    application->orderFrontStandardAboutPanelWithOptions(options);
    EXPECT_EQ(WindowList::shared().keyWindow(), panel) << "one panel while it is open";
    panel->close();
    application->orderFrontStandardAboutPanelWithOptions({});
    auto reopened = WindowList::shared().keyWindow();
    ASSERT_NE(reopened, nullptr);
    EXPECT_NE(reopened, panel);
    EXPECT_EQ(labels(*reopened).size(), 2u) << "no credits without the option";
}

TEST_F(AboutPanelTest, TheActivationPolicyStartsFromTheBundleAndThenFollowsTheApplication) {
    struct Case {
        std::map<std::string, std::string> info;
        ApplicationActivationPolicy policy;
    };
    const Case cases[] = {
        {{}, ApplicationActivationPolicy::regular},
        {{{"LSUIElement", "<true/>"}}, ApplicationActivationPolicy::accessory},
        {{{"LSUIElement", "<string>YES</string>"}}, ApplicationActivationPolicy::accessory},
        {{{"LSUIElement", "<false/>"}}, ApplicationActivationPolicy::regular},
        {{{"LSUIElement", "<true/>"}, {"LSBackgroundOnly", "<true/>"}}, ApplicationActivationPolicy::prohibited},
    };
    for (const auto& c : cases) {
        useInfo(c.info);
        Application::resetForTesting();
        EXPECT_EQ(Application::shared()->activationPolicy(), c.policy);
    }
    auto application = Application::shared();
    EXPECT_TRUE(application->setActivationPolicy(ApplicationActivationPolicy::regular));
    EXPECT_EQ(application->activationPolicy(), ApplicationActivationPolicy::regular);
    EXPECT_TRUE(application->setActivationPolicy(ApplicationActivationPolicy::accessory));
    EXPECT_EQ(application->activationPolicy(), ApplicationActivationPolicy::accessory);
}
