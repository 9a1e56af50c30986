#include "app/bookmarks/ProfileAvatarView.hpp"
#include "app/shell/BookmarkRowView.hpp"
#include "app/shell/FaviconService.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/render/Renderer.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/Layout.hpp"
#include "platform/ui/TextLayout.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

using kestrelvault::Bookmark;
using kestrelvault::BookmarkRowView;
using kestrelvault::BrowserType;

namespace {

Bookmark sampleBookmark(std::string url = "https://github.com/kestrel") {
    Bookmark bookmark;
    bookmark.id = "1";
    bookmark.name = "Kestrel on GitHub";
    bookmark.url = std::move(url);
    bookmark.folderPath = "Bookmarks Bar/Code";
    bookmark.browser = BrowserType::safari;
    bookmark.profileDirectory = "Default";
    bookmark.profileDisplayName = "kim";
    return bookmark;
}

void useFaviconService(const std::string& address) {
    fixtures::useMainBundle({{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}, {"KVFaviconServiceURL", address}},
                            fixtures::Resources::none);
}

ui::ResolvedNode const* findResolved(const ui::ResolvedNode& node, const std::function<bool(const ui::ResolvedNode&)>& test) {
    if (test(node)) return &node;
    for (const auto& child : node.children)
        if (const auto* found = findResolved(child, test)) return found;
    return nullptr;
}

// The first node of a kind laid out at a size.
const ui::LayoutNode* findSized(const ui::LayoutNode& layout, ui::NodeKind kind, ui::Size size) {
    return layout.find([&](const ui::LayoutNode& node) { return node.kind() == kind && node.frame.size == size; });
}

int countResolved(const ui::ResolvedNode& node, const std::function<bool(const ui::ResolvedNode&)>& test) {
    int count = test(node) ? 1 : 0;
    for (const auto& child : node.children) count += countResolved(child, test);
    return count;
}

std::shared_ptr<ui::Host> hostRow(Bookmark bookmark, bool selected, bool browserIcon, bool profile,
                                  ui::ColorScheme scheme = ui::ColorScheme::light) {
    ui::EnvironmentValues environment;
    environment.colorScheme = scheme;
    return ui::Host::make(ui::make<BookmarkRowView>(std::move(bookmark), selected, browserIcon, profile), environment);
}

class BookmarkRowTest : public ::testing::Test {
protected:
    void SetUp() override { foundation::Clock::installManual(); }
};

}  // namespace

struct BadgeCase {
    bool showBrowserIcon;
    bool showProfileName;
    bool badge;
    bool avatar;
};

TEST_F(BookmarkRowTest, TheBadgeFollowsItsTwoFlags) {
    fixtures::installApplication("Safari", "com.apple.Safari", 0x3366FFFF);
    const std::vector<BadgeCase> cases = {
        {false, false, false, false}, {false, true, true, true}, {true, false, true, false}, {true, true, true, true}};
    for (const auto& scenario : cases) {
        auto host = hostRow(sampleBookmark(), false, scenario.showBrowserIcon, scenario.showProfileName);
        const auto& layout = host->layout(ui::Rect(0, 0, 400, 58));
        const auto* badge = findSized(layout, ui::NodeKind::frame, {32, 32});
        int avatars = countResolved(host->resolvedTree(), [](const ui::ResolvedNode& node) {
            return node.node.kind() == ui::NodeKind::component &&
                   node.node.data<ui::ComponentData>().type == typeid(kestrelvault::ProfileAvatarView);
        });
        const auto* icon = findSized(layout, ui::NodeKind::image, {28, 28});
        std::string label = std::to_string(scenario.showBrowserIcon) + std::to_string(scenario.showProfileName);
        EXPECT_EQ(badge != nullptr, scenario.badge) << label;
        EXPECT_EQ(icon != nullptr, scenario.badge) << label;  // once there is a badge it shows the icon
        EXPECT_EQ(avatars, scenario.avatar ? 1 : 0) << label;
        // Without a badge the favicon is the row's first item, 12 points from its left edge.
        const auto* favicon = findSized(layout, ui::NodeKind::frame, {18, 18});
        ASSERT_NE(favicon, nullptr);
        EXPECT_EQ(favicon->frame.minX(), scenario.badge ? 12 + 32 + 12 + 5 : 12) << label;
    }
}

TEST_F(BookmarkRowTest, TheProfileAvatarSitsAtTheIconsBottomRightCornerMovedFourRightAndFourDown) {
    fixtures::installApplication("Safari", "com.apple.Safari", 0x3366FFFF);
    auto host = hostRow(sampleBookmark(), false, false, true);
    const auto& layout = host->layout(ui::Rect(0, 0, 400, 58));
    const auto* icon = findSized(layout, ui::NodeKind::image, {28, 28});
    const auto* avatar = layout.find([](const ui::LayoutNode& node) {
        return node.kind() == ui::NodeKind::shape && node.data<ui::ShapeData>().shape.kind == ui::ShapeKind::circle;
    });
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(avatar, nullptr);
    EXPECT_EQ(avatar->frame.size, (ui::Size{16, 16}));
    EXPECT_EQ(avatar->frame.maxX(), icon->frame.maxX() + 4);
    EXPECT_EQ(avatar->frame.maxY(), icon->frame.maxY() + 4);
}

TEST_F(BookmarkRowTest, ABrowserThatIsNotInstalledLeavesAnEmptyBadgeThatKeepsItsPlace) {
    std::filesystem::remove_all(fixtures::home() / "Applications/Safari.app");  // another test may have installed it
    auto host = hostRow(sampleBookmark(), false, true, false);
    const auto& layout = host->layout(ui::Rect(0, 0, 400, 58));
    EXPECT_NE(findSized(layout, ui::NodeKind::frame, {32, 32}), nullptr);
    EXPECT_EQ(layout.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::image; }), nullptr);
}

struct FaviconCase {
    std::string url;
    std::optional<std::string> favicon;
};

TEST_F(BookmarkRowTest, TheFaviconAddressNamesTheBookmarksHostOrThereIsNone) {
    useFaviconService("https://icons.example");
    const std::vector<FaviconCase> cases = {
        {"http://github.com/kestrel", "https://icons.example/s2/favicons?domain=github.com&sz=64"},
        {"https://sub.example.org:8443/path?q=1#top", "https://icons.example/s2/favicons?domain=sub.example.org&sz=64"},
        {"https://[2001:db8::1]:8080/", "https://icons.example/s2/favicons?domain=2001:db8::1&sz=64"},
        // A host with sub-delimiters cannot smuggle parameters into the service's query.
        {"http://a&sz=1#x/", "https://icons.example/s2/favicons?domain=a%26sz%3D1&sz=64"},
        {"javascript:alert(document.title)", std::nullopt},
        {"file:///Users/kim/notes.html", std::nullopt},
        {"mailto:kim@example.com", std::nullopt},
        {"not a url at all", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& scenario : cases)
        EXPECT_EQ(BookmarkRowView(sampleBookmark(scenario.url), false, false, false).faviconURL(), scenario.favicon)
            << scenario.url;
}

struct ServiceCase {
    std::optional<std::string> configured;
    std::optional<std::string> base;
};

TEST_F(BookmarkRowTest, OnlyASecureServiceAddressWithAHostIsUsed) {
    const std::vector<ServiceCase> cases = {
        {"https://icons.example", "https://icons.example"},
        {"https://icons.example/", "https://icons.example"},
        {"https://127.0.0.1:8443", "https://127.0.0.1:8443"},
        {"http://icons.example", std::nullopt},
        {"https://icons.example/path", std::nullopt},
        {"https://", std::nullopt},
        {"icons.example", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& scenario : cases) {
        if (scenario.configured)
            useFaviconService(*scenario.configured);
        else
            fixtures::useMainBundle({{"CFBundleIdentifier", "x"}}, fixtures::Resources::none);
        EXPECT_EQ(kestrelvault::FaviconService::baseAddress(), scenario.base) << scenario.configured.value_or("(none)");
    }
}

TEST_F(BookmarkRowTest, TheShippedBundleNamesAPlaceholderServiceUnderTheReservedInvalidDomain) {
    fixtures::useMainBundle({}, fixtures::Resources::none);
    std::filesystem::remove(fixtures::home() / "Bundles/Kestrelvault.app/Contents/Info.plist");
    std::filesystem::copy_file(std::filesystem::path(KV_SOURCE_DIR) / "app/resources/Info.plist",
                               fixtures::home() / "Bundles/Kestrelvault.app/Contents/Info.plist");
    auto base = kestrelvault::FaviconService::baseAddress();
    ASSERT_TRUE(base.has_value());
    EXPECT_TRUE(base->ends_with(".invalid")) << *base;
}

TEST_F(BookmarkRowTest, NameAndPathTakeOneLineEachAndAnEmptyPathShowsNoSecondLine) {
    auto bookmark = sampleBookmark();
    bookmark.name = std::string(40, 'W') + " a name far too long for one row of the list";
    bookmark.folderPath = "Bookmarks Bar/" + std::string(30, 'F') + "/and/deeper/still/than/that";
    auto host = hostRow(bookmark, false, false, false);
    const auto& layout = host->layout(ui::Rect(0, 0, 400, 58));
    std::vector<const ui::LayoutNode*> texts;
    layout.forEach([&](const ui::LayoutNode& node) {
        if (node.kind() == ui::NodeKind::text) texts.push_back(&node);
    });
    ASSERT_EQ(texts.size(), 2u);
    auto oneLine = [](double size, ui::Font::Weight weight) {
        ui::TextLayout reference("W", ui::TextStyle{ui::Font::systemFontOfSize(size, weight), std::nullopt, std::nullopt,
                                                    ui::TextAlignment::leading, 0});
        return reference.size().height;
    };
    EXPECT_EQ(texts[0]->frame.height(), oneLine(15, ui::Font::Weight::medium));
    EXPECT_EQ(texts[1]->frame.height(), oneLine(12, ui::Font::Weight::regular));
    EXPECT_LE(texts[0]->frame.maxX(), 400 - 14);

    bookmark.folderPath.clear();
    auto single = hostRow(bookmark, false, false, false);
    int lines = 0;
    single->layout(ui::Rect(0, 0, 400, 58)).forEach([&](const ui::LayoutNode& node) { lines += node.kind() == ui::NodeKind::text; });
    EXPECT_EQ(lines, 1);
}

TEST_F(BookmarkRowTest, ALongNameRunsToTheTrailingPaddingBeforeItIsCut) {
    auto bookmark = sampleBookmark();
    bookmark.name = "Kestrel release notes, every version since the first, with migration guides for each";
    bookmark.folderPath = "Bookmarks Bar/Projects/Kestrel/Documentation/Releases/Archive/Older";
    ui::EnvironmentValues environment;
    environment.colorScheme = ui::ColorScheme::light;
    auto image = render::Renderer::renderNode(ui::make<BookmarkRowView>(bookmark, true, false, false), {400, 58}, environment);
    std::filesystem::create_directories(std::filesystem::path(KV_BINARY_DIR) / "pictures");
    ASSERT_TRUE(render::writePNG(*image, std::filesystem::path(KV_BINARY_DIR) / "pictures/long-name-bookmark-row.png"));
    // Where the text ends: the last column darker than the selection highlight, in each line's band.
    auto lastTextColumn = [&](int top, int bottom) {
        for (int x = 399; x >= 0; --x)
            for (int y = top; y < bottom; ++y)
                if ((image->pixel(x, y) & 0xFF) > 0x40) return x;
        return -1;
    };
    EXPECT_GT(lastTextColumn(10, 29), 400 - 14 - 16);
    EXPECT_LE(lastTextColumn(10, 29), 400 - 14);
    EXPECT_GT(lastTextColumn(30, 48), 400 - 14 - 16);
    EXPECT_LE(lastTextColumn(30, 48), 400 - 14);
}

TEST_F(BookmarkRowTest, AnEmojiInTheNameIsDrawnInItsOwnColoursNotAsABoxWithItsCode) {
    auto bookmark = sampleBookmark();
    bookmark.name = "github \U0001F422";  // a turtle
    auto host = hostRow(bookmark, false, false, false);
    const auto* title = host->layout(ui::Rect(0, 0, 400, 58)).find([&](const ui::LayoutNode& node) {
        return node.kind() == ui::NodeKind::text && node.data<ui::TextData>().text == bookmark.name;
    });
    ASSERT_TRUE(title);
    auto image = render::Renderer::renderNode(ui::make<BookmarkRowView>(bookmark, false, false, false), {400, 58});
    std::filesystem::create_directories(std::filesystem::path(KV_BINARY_DIR) / "pictures");
    ASSERT_TRUE(render::writePNG(*image, std::filesystem::path(KV_BINARY_DIR) / "pictures/emoji-bookmark-row.png"));
    // The emoji's place in the title, after "github ": the turtle's olive greens, and none of
    // the dark grey in which a box with the character's code is drawn.
    ui::TextStyle titleStyle;
    titleStyle.font = ui::Font::systemFontOfSize(15, ui::Font::Weight::medium);
    ui::TextLayout before("github ", titleStyle);
    int coloured = 0, grey = 0;
    for (int y = int(title->frame.minY()); y < int(title->frame.maxY()); ++y)
        for (int x = int(title->frame.minX() + before.size().width); x < int(title->frame.maxX()); ++x) {
            auto pixel = image->pixel(x, y);
            int red = pixel >> 24, green = (pixel >> 16) & 0xFF, blue = (pixel >> 8) & 0xFF;
            int brightest = std::max({red, green, blue}), darkest = std::min({red, green, blue});
            if ((pixel & 0xFF) < 0x80) continue;  // the row's see-through background
            coloured += green == brightest && brightest - darkest > 60;
            grey += brightest < 110 && brightest - darkest < 25;
        }
    EXPECT_GT(coloured, 40);
    EXPECT_LT(grey, 4) << "a dark eye at most";
}

TEST_F(BookmarkRowTest, AClickAnywhereOnTheRowIsAClickOnTheRow) {
    int clicks = 0;
    auto host = ui::Host::make(ui::make<BookmarkRowView>(sampleBookmark(), false, false, false).onTapGesture([&] { ++clicks; }),
                                 ui::EnvironmentValues{});
    const auto& row = host->layout(ui::Rect(0, 0, 400, 58)).frame;
    // Empty space right of the text, the padding at both ends, and the name itself.
    for (ui::Point point : {ui::Point{350, row.midY()}, ui::Point{row.minX() + 2, row.minY() + 2},
                            ui::Point{row.maxX() - 2, row.maxY() - 2}, ui::Point{60, row.midY()}})
        EXPECT_TRUE(host->tap(point)) << point.x << "," << point.y;
    EXPECT_EQ(clicks, 4);
}

struct SelectionCase {
    bool selected;
    ui::ColorScheme scheme;
    std::uint32_t pixel;  // at the empty right end of the row
};

TEST_F(BookmarkRowTest, TheSelectionIsAPlainRectangleInTheSchemesColour) {
    const std::vector<SelectionCase> cases = {
        {true, ui::ColorScheme::light, 0x00000014},   // black at 0.08
        {true, ui::ColorScheme::dark, 0xFFFFFF26},    // white at 0.15
        {false, ui::ColorScheme::light, 0x00000000},
        {false, ui::ColorScheme::dark, 0x00000000},
    };
    for (const auto& scenario : cases) {
        ui::EnvironmentValues environment;
        environment.colorScheme = scenario.scheme;
        auto image = render::Renderer::renderNode(
            ui::make<BookmarkRowView>(sampleBookmark(), scenario.selected, false, false), {400, 58}, environment);
        auto row = hostRow(sampleBookmark(), scenario.selected, false, false, scenario.scheme)->layout(ui::Rect(0, 0, 400, 58)).frame;
        int top = static_cast<int>(row.minY()), bottom = static_cast<int>(row.maxY()) - 1;
        // The corners too: the highlight has no rounded corners.
        for (auto [x, y] : {std::pair{398, 29}, std::pair{1, 29}, std::pair{300, 29}, std::pair{0, top}, std::pair{399, top},
                            std::pair{0, bottom}, std::pair{399, bottom}})
            EXPECT_EQ(image->pixel(x, y), scenario.pixel) << scenario.selected << " " << static_cast<int>(scenario.scheme)
                                                          << " at " << x << "," << y;
    }
}

namespace {

// A favicon service on 127.0.0.1 whose certificate the process trusts.
class FaviconServer {
public:
    FaviconServer() : server_(certificate_), trusted_(certificate_.der()) {
        std::string png = fixtures::pngBytes(16, 16, 0xFF0000FF);
        plain_.server().Get("/icon.png", [png](const httplib::Request&, httplib::Response& response) {
            response.set_content(png, "image/png");
        });
        plain_.start();
        server_.server().Get("/s2/favicons", [png, this](const httplib::Request& request, httplib::Response& response) {
            requests_.fetch_add(1);
            if (request.get_param_value("domain") == "downgrade.example") {
                response.status = 302;
                response.set_header("Location", plain_.url("/icon.png"));
                return;
            }
            if (request.get_param_value("domain") == "huge.example") {  // an image, and then some
                response.set_content(png + std::string(5 * 1024 * 1024, '\0'), "image/png");
                return;
            }
            if (request.get_param_value("domain") == "missing.example" || request.get_param_value("sz") != "64") {
                response.status = 404;
                return;
            }
            response.set_content(png, "image/png");
        });
        server_.start();
        useFaviconService("https://localhost:" + std::to_string(server_.port()));
    }
    int requests() const { return requests_.load(); }

private:
    testsupport::SelfSignedCertificate certificate_;
    testsupport::LocalHTTPServer server_;
    testsupport::LocalHTTPServer plain_;
    testsupport::TrustedCertificate trusted_;
    std::atomic<int> requests_{0};
};

// What the favicon slot shows: "globe", "image" or "?".
std::string faviconShown(const ui::Host& host) {
    const auto* slot = findResolved(host.resolvedTree(), [](const ui::ResolvedNode& node) {
        return node.node.kind() == ui::NodeKind::asyncImage;
    });
    if (!slot) return "?";
    if (findResolved(*slot, [](const ui::ResolvedNode& node) {
            return node.node.kind() == ui::NodeKind::symbol && node.node.data<ui::SymbolData>().systemName == "globe";
        }))
        return "globe";
    if (findResolved(*slot, [](const ui::ResolvedNode& node) { return node.node.kind() == ui::NodeKind::image; }))
        return "image";
    return "?";
}

void waitForLoad(const ui::Host& host) {
    for (int pass = 0; pass < 200 && host.evaluationCount() < 2; ++pass) foundation::RunLoop::main()->runUntilIdle();
}

}  // namespace

TEST(BookmarkRowFavicon, TheGlobeShowsWhileLoadingAndTheServedImageReplacesIt) {
    FaviconServer server;
    auto host = hostRow(sampleBookmark("https://github.com/kestrel"), false, false, false);
    EXPECT_EQ(faviconShown(*host), "globe");
    waitForLoad(*host);
    EXPECT_EQ(faviconShown(*host), "image");
    EXPECT_EQ(server.requests(), 1);
    const auto& layout = host->layout(ui::Rect(0, 0, 400, 58));
    const auto* image = layout.find([](const ui::LayoutNode& node) { return node.kind() == ui::NodeKind::image; });
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->frame.size, (ui::Size{18, 18}));
}

TEST(BookmarkRowFavicon, AFailedLoadARedirectOutOfHTTPSOrAnOversizedAnswerKeepsTheGlobe) {
    FaviconServer server;
    int requests = 0;
    for (const char* site : {"https://missing.example/page", "https://downgrade.example/", "https://huge.example/"}) {
        auto host = hostRow(sampleBookmark(site), false, false, false);
        waitForLoad(*host);
        EXPECT_EQ(server.requests(), ++requests) << site;
        EXPECT_EQ(faviconShown(*host), "globe") << site;
    }
}

TEST(BookmarkRowFavicon, ABookmarkletAsksForNothingAndShowsTheGlobe) {
    FaviconServer server;
    auto host = hostRow(sampleBookmark("javascript:void(0)"), false, false, false);
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(server.requests(), 0);
    EXPECT_EQ(faviconShown(*host), "globe");
}

namespace {

// Answers loads only when the test says so, and counts them.
class ScriptedImageLoader : public ui::ImageLoader {
public:
    std::shared_ptr<ui::CancellationToken> load(const std::string&, Completion completion) override {
        auto token = std::make_shared<ui::CancellationToken>();
        loads.push_back({std::move(completion), token});
        return token;
    }
    struct Load {
        Completion completion;
        std::shared_ptr<ui::CancellationToken> token;
    };
    std::vector<Load> loads;
};

}  // namespace

TEST_F(BookmarkRowTest, ALoadedFaviconStaysWhenTheBadgeComesOrGoes) {
    useFaviconService("https://icons.example");
    auto loader = std::make_shared<ScriptedImageLoader>();
    ui::ImageLoader::setSharedForTesting(loader);
    auto host = hostRow(sampleBookmark(), false, false, false);
    ASSERT_EQ(loader->loads.size(), 1u);
    loader->loads[0].completion(appkit::Image::filled(16, 16, 0xFF0000FF), "");
    foundation::RunLoop::main()->runUntilIdle();
    ASSERT_EQ(faviconShown(*host), "image");

    for (bool badge : {true, false}) {
        host->setRoot(ui::make<BookmarkRowView>(sampleBookmark(), false, badge, false));
        EXPECT_EQ(faviconShown(*host), "image") << badge;
        EXPECT_EQ(loader->loads.size(), 1u) << badge;
        EXPECT_FALSE(loader->loads[0].token->isCancelled()) << badge;
    }
}

