#include "platform/ui/Host.hpp"
#include "platform/ui/Layout.hpp"
#include "platform/ui/TextLayout.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace ui;

namespace {

Node box(double width, double height, const std::string& id) { return Rectangle().frame(width, height).id(id); }

Rect frameOf(const LayoutNode& root, const std::string& id) {
    const auto* found = root.find([&](const LayoutNode& node) {
        return node.kind() == NodeKind::identified && node.data<IdentifiedData>().id == id;
    });
    EXPECT_NE(found, nullptr) << "no node with id " << id;
    return found ? found->frame : Rect();
}

struct LayoutCase {
    const char* name;
    Node root;
    Size bounds;
    std::vector<std::pair<std::string, Rect>> expected;
};

class LayoutTable : public ::testing::TestWithParam<LayoutCase> {};

}  // namespace

TEST_P(LayoutTable, GivesEveryNodeTheFrameTheLayoutRulesDemand) {
    const auto& scenario = GetParam();
    auto host = Host::make(scenario.root, EnvironmentValues{});
    const auto& layout = host->layout(Rect(Point{}, scenario.bounds));
    for (const auto& [id, rect] : scenario.expected) EXPECT_EQ(frameOf(layout, id), rect) << scenario.name << ": " << id;
}

INSTANTIATE_TEST_SUITE_P(
    Stacks, LayoutTable,
    ::testing::Values(
        LayoutCase{"hstack spacing centres the content and aligns children vertically",
                   HStack({box(20, 20, "a"), box(30, 10, "b")}, VerticalAlignment::center, 10.0).id("root"),
                   {200, 100},
                   {{"root", Rect(70, 40, 60, 20)}, {"a", Rect(70, 40, 20, 20)}, {"b", Rect(100, 45, 30, 10)}}},
        LayoutCase{"hstack top alignment",
                   HStack({box(20, 20, "a"), box(30, 10, "b")}, VerticalAlignment::top, 0.0), {50, 20},
                   {{"a", Rect(0, 0, 20, 20)}, {"b", Rect(20, 0, 30, 10)}}},
        LayoutCase{"a spacer pushes the last child to the far edge",
                   HStack({box(20, 20, "a"), Spacer(0.0), box(30, 30, "b")}, VerticalAlignment::center, 5.0)
                       .frame(FlexibleFrame{.maxWidth = appkit::infinity}),
                   {200, 100},
                   {{"a", Rect(0, 40, 20, 20)}, {"b", Rect(170, 35, 30, 30)}}},
        LayoutCase{"vstack leading alignment",
                   VStack({box(20, 10, "a"), box(50, 10, "b")}, HorizontalAlignment::leading, 0.0).id("root"),
                   {50, 20},
                   {{"a", Rect(0, 0, 20, 10)}, {"b", Rect(0, 10, 50, 10)}}},
        LayoutCase{"vstack trailing alignment with spacing",
                   VStack({box(20, 10, "a"), box(50, 10, "b")}, HorizontalAlignment::trailing, 4.0), {50, 24},
                   {{"a", Rect(30, 0, 20, 10)}, {"b", Rect(0, 14, 50, 10)}}},
        LayoutCase{"padding on each edge",
                   box(10, 10, "a").padding(EdgeInsets{1, 2, 3, 4}).id("padded"), {16, 14},
                   {{"padded", Rect(0, 0, 16, 14)}, {"a", Rect(2, 1, 10, 10)}}},
        LayoutCase{"a fixed frame places its child by its alignment",
                   box(10, 10, "a").frame(100.0, 50.0, Alignment::bottomTrailing()).id("frame"), {100, 50},
                   {{"frame", Rect(0, 0, 100, 50)}, {"a", Rect(90, 40, 10, 10)}}},
        LayoutCase{"a minimum width widens a smaller child's frame",
                   box(50, 10, "a").frame(FlexibleFrame{.minWidth = 180.0}).id("frame"), {300, 10},
                   {{"frame", Rect(60, 0, 180, 10)}, {"a", Rect(125, 0, 50, 10)}}},
        LayoutCase{"an infinite maximum width with leading alignment",
                   box(50, 10, "a").frame(FlexibleFrame{.maxWidth = appkit::infinity, .alignment = Alignment::leading()}).id("frame"),
                   {300, 10}, {{"frame", Rect(0, 0, 300, 10)}, {"a", Rect(0, 0, 50, 10)}}},
        LayoutCase{"the least flexible child chooses first; a shape takes the rest",
                   HStack({Rectangle().id("flexible"), box(40, 10, "fixed")}, VerticalAlignment::center, 0.0), {100, 10},
                   {{"flexible", Rect(0, 0, 60, 10)}, {"fixed", Rect(60, 0, 40, 10)}}},
        LayoutCase{"an empty view takes neither room nor spacing",
                   HStack({box(20, 10, "a"), EmptyView(), box(20, 10, "b")}, VerticalAlignment::center, 10.0), {50, 10},
                   {{"a", Rect(0, 0, 20, 10)}, {"b", Rect(30, 0, 20, 10)}}},
        LayoutCase{"an offset moves the child and not its sibling",
                   HStack({box(20, 10, "a").offset(4, 4), box(20, 10, "b")}, VerticalAlignment::center, 0.0), {40, 10},
                   {{"a", Rect(4, 4, 20, 10)}, {"b", Rect(20, 0, 20, 10)}}},
        LayoutCase{"a zstack aligns its layers at the bottom right",
                   ZStack({box(28, 28, "back"), box(16, 16, "front")}, Alignment::bottomTrailing()), {28, 28},
                   {{"back", Rect(0, 0, 28, 28)}, {"front", Rect(12, 12, 16, 16)}}},
        LayoutCase{"a background takes the size of what it is behind",
                   box(30, 20, "content").background(Rectangle().id("behind")), {30, 20},
                   {{"behind", Rect(0, 0, 30, 20)}}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(Layout, LongTextWrapsInsideTheOfferedWidthAndGrowsInHeight) {
    std::string text = "A description long enough that it cannot possibly fit on a single line of this width";
    auto single = Host::make(Text("One line").id("text"), EnvironmentValues{});
    auto wrapped = Host::make(Text(text).frame(120.0, std::nullopt).id("text"), EnvironmentValues{});
    Rect oneLine = frameOf(single->layout(Rect(0, 0, 400, 400)), "text");
    const auto& layout = wrapped->layout(Rect(0, 0, 400, 400));
    const auto* textNode = layout.find([](const LayoutNode& node) { return node.kind() == NodeKind::text; });
    ASSERT_NE(textNode, nullptr);
    EXPECT_LE(textNode->frame.width(), 120);
    EXPECT_GE(textNode->frame.height(), 3 * oneLine.height());
}

TEST(Layout, ALineLimitOfOneKeepsLongTextToOneLine) {
    std::string text = "A name long enough that it would wrap over several lines were it allowed to";
    auto host = Host::make(Text(text).lineLimit(1).frame(100.0, std::nullopt), EnvironmentValues{});
    auto reference = Host::make(Text("x"), EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 300, 300));
    const auto* textNode = layout.find([](const LayoutNode& node) { return node.kind() == NodeKind::text; });
    Size line = reference->sizeThatFits({});
    ASSERT_NE(textNode, nullptr);
    EXPECT_EQ(textNode->frame.height(), line.height);
    EXPECT_LE(textNode->frame.width(), 100);
}

TEST(Layout, ResizableImagesFitOrFillTheirFrameKeepingTheirAspect) {
    auto image = appkit::Image::filled(40, 20, 0xff0000ff);
    auto fit = Host::make(Image(image).resizable().scaledToFit().id("image").frame(30.0, 30.0), EnvironmentValues{});
    auto fill = Host::make(Image(image).resizable().scaledToFill().id("image").frame(30.0, 30.0), EnvironmentValues{});
    EXPECT_EQ(frameOf(fit->layout(Rect(0, 0, 30, 30)), "image"), Rect(0, 7.5, 30, 15));
    EXPECT_EQ(frameOf(fill->layout(Rect(0, 0, 30, 30)), "image"), Rect(-15, 0, 60, 30));
}

TEST(Layout, TrackingWidensTextByItsSpacingPerCharacter) {
    auto plain = Host::make(Text("⇧⌘C"), EnvironmentValues{});
    auto spaced = Host::make(Text("⇧⌘C").tracking(2), EnvironmentValues{});
    double difference = spaced->sizeThatFits({}).width - plain->sizeThatFits({}).width;
    EXPECT_NEAR(difference, 2 * 2, 1);  // between the three characters
}

TEST(Layout, FirstTextBaselineAlignmentLinesUpTextOfDifferentSizesAndRestsOtherViewsOnIt) {
    auto small = Text("label").font(Font::systemFontOfSize(10)).id("small");
    auto large = Text("Record").font(Font::systemFontOfSize(30)).id("large");
    auto host = Host::make(HStack({small, large, box(10, 10, "box")}, VerticalAlignment::firstTextBaseline, 4.0),
                             EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 300, 100));
    auto baseline = [&](const std::string& id, double size) {
        TextLayout text(id == "small" ? "label" : "Record",
                        TextStyle{Font::systemFontOfSize(size), std::nullopt, std::nullopt, TextAlignment::leading, 0});
        return frameOf(layout, id).minY() + text.firstBaseline();
    };
    EXPECT_DOUBLE_EQ(baseline("small", 10), baseline("large", 30));
    EXPECT_DOUBLE_EQ(frameOf(layout, "box").maxY(), baseline("large", 30));
}
