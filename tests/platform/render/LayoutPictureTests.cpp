#include "platform/render/Renderer.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/Layout.hpp"
#include "platform/ui/TextLayout.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace ui;
using render::Renderer;

namespace {

// Pictures land in the build folder, where a person can open them after a run.
void savePicture(const appkit::Image& image, const std::string& name) {
    std::filesystem::path folder = std::filesystem::path(KV_BINARY_DIR) / "pictures";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(render::writePNG(image, folder / (name + ".png")));
}

// The rightmost column of the rectangle that has any ink, or -1.
int lastInkedColumn(const appkit::Image& image, const Rect& rect) {
    for (int x = static_cast<int>(rect.maxX()) - 1; x >= static_cast<int>(rect.minX()); --x)
        for (int y = static_cast<int>(rect.minY()); y < static_cast<int>(rect.maxY()); ++y)
            if ((image.pixel(x, y) & 0xFF) > 0) return x;
    return -1;
}

const LayoutNode* textNode(const LayoutNode& root, const std::string& text) {
    return root.find([&](const LayoutNode& node) { return node.kind() == NodeKind::text && node.data<TextData>().text == text; });
}

// How many lines the renderer draws the text node in, at its frame's width.
int drawnLines(const LayoutNode& node) {
    const auto& environment = node.environment;
    TextLayout layout(node.data<TextData>().text, TextStyle{Layout::effectiveFont(environment), node.frame.width(), environment.lineLimit,
                                                  environment.multilineTextAlignment, environment.tracking});
    return layout.lineCount();
}

// The key hints under the result list: a key cap on its plate, then the action's name.
Node keyHint(const std::string& cap, const std::string& label, double tracking) {
    return HStack({Text(cap)
                       .font(Font::monospacedSystemFontOfSize(12, Font::Weight::medium))
                       .tracking(tracking)
                       .padding(EdgeInsets{2, 6, 2, 6})
                       .background(RoundedRectangle(4).fill(Color::separatorColor().opacity(0.3))),
                   Text(label).font(Font::systemFontOfSize(12)).foregroundColor(Color::secondaryLabelColor())},
                  VerticalAlignment::center, 5.0);
}

Node keyHintFooter() {
    return HStack({keyHint("↩︎", "Open", 0), keyHint("⌘C", "Copy URL", 2), keyHint("⇧⌘C", "Copy Markdown", 2),
                   keyHint("esc", "Close", 0)},
                  VerticalAlignment::center, 16.0)
        .padding(EdgeInsets{8, 16, 8, 16})
        .frame(FlexibleFrame{.maxWidth = appkit::infinity})
        .background(Color::separatorColor().opacity(0.15));
}

EnvironmentValues lightEnvironment() {
    EnvironmentValues environment;
    environment.foregroundColor = Color::blackColor();
    return environment;
}

}  // namespace

TEST(LayoutPictures, EveryKeyCapOfTheFooterIsDrawnWholeOnOneLine) {
    Size size{600, 34};
    auto host = Host::make(keyHintFooter(), lightEnvironment());
    const auto& layout = host->layout(Rect(Point{}, size));
    auto image = Renderer::renderNode(keyHintFooter(), size, lightEnvironment());
    savePicture(*image, "key-hint-footer");
    TextLayout oneLine("esc", TextStyle{Font::monospacedSystemFontOfSize(12, Font::Weight::medium), std::nullopt, std::nullopt,
                                        TextAlignment::leading, 0});
    for (const std::string cap : {"↩︎", "⌘C", "⇧⌘C", "esc"}) {
        const auto* node = textNode(layout, cap);
        ASSERT_NE(node, nullptr) << cap;
        EXPECT_EQ(node->frame.height(), oneLine.size().height) << cap;
        EXPECT_EQ(drawnLines(*node), 1) << cap;
        // The last character has ink in the last third of the cap's frame.
        Rect lastThird(node->frame.maxX() - node->frame.width() / 3, node->frame.minY(), node->frame.width() / 3,
                       node->frame.height());
        EXPECT_GE(lastInkedColumn(*image, lastThird), 0) << cap;
    }
}

TEST(LayoutPictures, NestedStacksPlaceTheirChildrenAtTheSizesTheyMeasured) {
    // The footer is narrower than its row, so each stack is placed in the width it measured.
    auto host = Host::make(keyHintFooter(), lightEnvironment());
    const auto& layout = host->layout(Rect(0, 0, 600, 34));
    for (const std::string text : {"esc", "Close", "Copy Markdown"}) {
        const auto* node = textNode(layout, text);
        ASSERT_NE(node, nullptr) << text;
        TextLayout ideal(text, TextStyle{Layout::effectiveFont(node->environment), std::nullopt, std::nullopt,
                                         TextAlignment::leading, node->environment.tracking});
        EXPECT_EQ(node->frame.size, ideal.size()) << text;
    }
}

struct SpacerCase {
    const char* name;
    Node root;
    Size bounds;
    std::vector<std::pair<std::string, Rect>> expected;
};

TEST(LayoutPictures, ASpacerTakesOnlyTheRoomItsSiblingsLeave) {
    auto box = [](double width, const std::string& id) { return Rectangle().frame(width, 10.0).id(id); };
    const std::vector<SpacerCase> cases = {
        {"a flexible shape leaves the spacer its minimum",
         HStack({Rectangle().frame(std::nullopt, 10.0).id("shape"), Spacer().id("spacer")}, VerticalAlignment::center, 0.0),
         {100, 10}, {{"shape", Rect(0, 0, 92, 10)}, {"spacer", Rect(92, 5, 8, 0)}}},
        {"two spacers share the room left by fixed boxes",
         HStack({Spacer(0.0).id("left"), box(20, "a"), Spacer(0.0).id("right")}, VerticalAlignment::center, 0.0), {100, 10},
         {{"left", Rect(0, 5, 40, 0)}, {"a", Rect(40, 0, 20, 10)}, {"right", Rect(60, 5, 40, 0)}}},
        {"a vertical stack gives its spacer what the boxes leave",
         VStack({Rectangle().frame(10.0, 20.0).id("top"), Spacer().id("gap"), Rectangle().frame(10.0, 20.0).id("bottom")},
                HorizontalAlignment::center, 0.0)
             .frame(std::nullopt, 100.0),
         {10, 100}, {{"top", Rect(0, 0, 10, 20)}, {"gap", Rect(5, 20, 0, 60)}, {"bottom", Rect(0, 80, 10, 20)}}},
    };
    for (const auto& scenario : cases) {
        auto host = Host::make(scenario.root, EnvironmentValues{});
        const auto& layout = host->layout(Rect(Point{}, scenario.bounds));
        for (const auto& [id, rect] : scenario.expected) {
            const auto* node = layout.find(
                [&](const LayoutNode& found) { return found.kind() == NodeKind::identified && found.data<IdentifiedData>().id == id; });
            ASSERT_NE(node, nullptr) << scenario.name << ": " << id;
            EXPECT_EQ(node->frame, rect) << scenario.name << ": " << id;
        }
    }
}

TEST(LayoutPictures, TextBeforeASpacerRunsUpToTheTrailingEdgeBeforeItIsCut) {
    std::string name = "A bookmark whose name is far too long to be shown whole in one row of the list";
    auto row = HStack({Rectangle().frame(18.0, 18.0), Text(name).lineLimit(1).id("name"), Spacer(0.0)},
                      VerticalAlignment::center, 5.0)
                   .padding(EdgeInsets{10, 12, 10, 14})
                   .frame(FlexibleFrame{.maxWidth = appkit::infinity, .alignment = Alignment::leading()});
    Size size{400, 40};
    auto host = Host::make(row, lightEnvironment());
    const auto& layout = host->layout(Rect(Point{}, size));
    const auto* text = textNode(layout, name);
    ASSERT_NE(text, nullptr);
    // Cut with an ellipsis at a character's edge, within a character of the trailing padding.
    EXPECT_LE(text->frame.maxX(), 400 - 14);
    EXPECT_GE(text->frame.maxX(), 400 - 14 - 12);
    auto image = Renderer::renderNode(row, size, lightEnvironment());
    savePicture(*image, "long-text-before-spacer");
    EXPECT_GT(lastInkedColumn(*image, Rect(0, 0, 400, 40)), 400 - 14 - 20);
}

TEST(LayoutPictures, AMaximumWidthClampsAWiderChild) {
    auto frame = Rectangle().fill(Color::rgba(0, 0, 1)).frame(300.0, 20.0).id("child").frame(FlexibleFrame{.maxWidth = 200.0}).id("frame");
    auto host = Host::make(frame, EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 400, 20));
    auto frameOf = [&](const std::string& id) {
        return layout.find([&](const LayoutNode& node) { return node.kind() == NodeKind::identified && node.data<IdentifiedData>().id == id; })
            ->frame;
    };
    EXPECT_EQ(frameOf("frame"), Rect(100, 0, 200, 20));
    EXPECT_EQ(frameOf("child"), Rect(50, 0, 300, 20));  // centred, standing out on both sides
    auto image = Renderer::renderNode(frame.clipShape({}), {400, 20});
    savePicture(*image, "maximum-width-clamp");
    EXPECT_EQ(image->pixel(99, 10) & 0xFF, 0u);
    EXPECT_EQ(image->pixel(100, 10), 0x0000FFFFu);
    EXPECT_EQ(image->pixel(299, 10), 0x0000FFFFu);
    EXPECT_EQ(image->pixel(300, 10) & 0xFF, 0u);
}

TEST(LayoutPictures, ContentNarrowerThanItsScrollViewStandsCentred) {
    auto scroll = ScrollView(Rectangle().fill(Color::rgba(1, 0, 0)).frame(100.0, 50.0).id("content")).id("scroll");
    auto host = Host::make(scroll, EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 300, 200));
    const auto* content =
        layout.find([](const LayoutNode& node) { return node.kind() == NodeKind::identified && node.data<IdentifiedData>().id == "content"; });
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->frame, Rect(100, 0, 100, 50));
    auto image = Renderer::renderNode(scroll, {300, 200});
    savePicture(*image, "narrow-scroll-content");
    EXPECT_EQ(image->pixel(99, 25) & 0xFF, 0u);
    EXPECT_EQ(image->pixel(150, 25), 0xFF0000FFu);
    EXPECT_EQ(image->pixel(200, 25) & 0xFF, 0u);
}
