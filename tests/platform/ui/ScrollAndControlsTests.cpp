#include "platform/appkit/Window.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/HostingView.hpp"
#include "platform/ui/ScrollViewReader.hpp"
#include "tests/platform/appkit/KeyEvents.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

using namespace ui;
using namespace std::chrono_literals;

namespace {

class ScrollTest : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::Clock::installManual();
        std::vector<Node> rows;
        for (int index = 0; index < 20; ++index)
            rows.push_back(Rectangle().frame(200.0, 58.0).id("row-" + std::to_string(index)));
        auto list = VStack(std::move(rows), HorizontalAlignment::center, 0.0);
        host = Host::make(ScrollViewReader([this, list](const ScrollViewProxy& given) {
                                proxy = given;
                                return ScrollView(list).frame(std::nullopt, 400.0).id("scroll");
                            }),
                            EnvironmentValues{});
        relayout();
    }
    void relayout() { host->layout(Rect(0, 0, 200, 400)); }
    Rect frameOf(const std::string& id) {
        const auto* node = host->lastLayout()->find(
            [&](const LayoutNode& found) { return found.kind() == NodeKind::identified && found.data<IdentifiedData>().id == id; });
        return node ? node->frame : Rect();
    }

    std::shared_ptr<Host> host;
    std::optional<ScrollViewProxy> proxy;
};

}  // namespace

TEST_F(ScrollTest, ScrollingToARowPutsItAtTheAnchorWithinTheContentsBounds) {
    EXPECT_EQ(frameOf("row-0").minY(), 0);
    proxy->scrollTo("row-10", ScrollAnchor::center);
    relayout();
    EXPECT_EQ(frameOf("row-10").midY(), frameOf("scroll").midY());

    proxy->scrollTo("row-19", ScrollAnchor::center);
    relayout();
    EXPECT_EQ(frameOf("row-19").maxY(), 400);  // no further than the end

    proxy->scrollTo("row-0", ScrollAnchor::center);
    relayout();
    EXPECT_EQ(frameOf("row-0").minY(), 0);  // no further than the start
}

TEST_F(ScrollTest, AnAnimatedScrollMovesOnTheClockAndEndsAtTheTarget) {
    proxy->scrollTo("row-10", ScrollAnchor::center, 0.15);
    relayout();
    double start = frameOf("row-10").midY();
    foundation::Clock::advance(50ms);
    foundation::RunLoop::main()->runUntilIdle();
    relayout();
    double middle = frameOf("row-10").midY();
    foundation::Clock::advance(150ms);
    foundation::RunLoop::main()->runUntilIdle();
    relayout();
    EXPECT_LT(middle, start);
    EXPECT_GT(middle, 200);
    EXPECT_EQ(frameOf("row-10").midY(), 200);
}

TEST_F(ScrollTest, ContentScrolledOutOfTheViewTakesNoTaps) {
    int taps = 0;
    host->setRoot(VStack({ScrollView(VStack({Rectangle().frame(100.0, 300.0).onTapGesture([&] { ++taps; })}))
                              .frame(std::nullopt, 100.0),
                          Rectangle().frame(100.0, 100.0)},
                         HorizontalAlignment::center, 0.0));
    host->layout(Rect(0, 0, 100, 200));
    EXPECT_FALSE(host->tap({50, 150}));
    EXPECT_TRUE(host->tap({50, 50}));
    EXPECT_EQ(taps, 1);
}

TEST(Toggle, ATapFlipsItsBindingAndTheSwitchSitsAtTheTrailingEdge) {
    bool on = false;
    auto host = Host::make(Toggle(Text("Fuzzy search"), [&] { return on; }, [&](bool value) { on = value; })
                                 .frame(FlexibleFrame{.maxWidth = appkit::infinity}),
                             EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 300, 40));
    const auto* toggle = layout.find([](const LayoutNode& node) { return node.kind() == NodeKind::toggle; });
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->frame.width(), 300);
    EXPECT_TRUE(host->tap({290, 20}));
    EXPECT_TRUE(on);
    EXPECT_TRUE(host->tap({10, 20}));  // the label toggles too
    EXPECT_FALSE(on);
}

TEST(KeyboardShortcut, TheMatchingKeyPressesTheButtonWhileItsWindowIsKey) {
    std::vector<std::string> pressed;
    auto window = appkit::Window::make(Rect(0, 0, 200, 100), appkit::WindowStyleMask::titled);
    auto hosting = HostingView::make(
        VStack({Button(Text("Open"), [&] { pressed.push_back("open"); })
                    .keyboardShortcut(KeyboardShortcut{KeyEquivalent{"o"}, EventModifiers(EventModifiers::command)}),
                Button(Text("Close"), [&] { pressed.push_back("close"); })
                    .keyboardShortcut(KeyboardShortcut{KeyEquivalent::escape(), EventModifiers()})}));
    window->setContentView(hosting);
    window->makeKeyAndOrderFront();
    testsupport::sendKey(31, "o", appkit::ModifierFlags::command);
    testsupport::sendKey(31, "o", appkit::ModifierFlags::command | appkit::ModifierFlags::shift);
    testsupport::sendKey(53, "\x1b");
    EXPECT_EQ(pressed, (std::vector<std::string>{"open", "close"}));
}

TEST(Form, SectionsStackTheirHeaderAboveTheirRowsWithDividersBetween) {
    auto host = Host::make(Form({Section(Text("General").id("header"),
                                           {Text("Launch at login").id("first"), Text("Fuzzy search").id("second")})}),
                             EnvironmentValues{});
    const auto& layout = host->layout(Rect(0, 0, 380, 430));
    auto frameOf = [&](const std::string& id) {
        return layout.find([&](const LayoutNode& node) { return node.kind() == NodeKind::identified && node.data<IdentifiedData>().id == id; })
            ->frame;
    };
    const auto* divider = layout.find([](const LayoutNode& node) { return node.kind() == NodeKind::divider; });
    ASSERT_NE(divider, nullptr);
    EXPECT_LT(frameOf("header").maxY(), frameOf("first").minY());
    EXPECT_LT(frameOf("first").maxY(), divider->frame.minY());
    EXPECT_LE(divider->frame.maxY(), frameOf("second").minY());
    EXPECT_EQ(frameOf("first").minX(), frameOf("second").minX());
}

TEST(Form, ScrollsWhenTallerThanItsFrameAndAnIdAroundItScrollsBackToTheTop) {
    std::vector<Node> rows;
    for (int index = 0; index < 30; ++index) rows.push_back(Text("Row " + std::to_string(index)).id("row-" + std::to_string(index)));
    std::optional<ScrollViewProxy> proxy;
    auto host = Host::make(ScrollViewReader([&](const ScrollViewProxy& given) {
                                 proxy = given;
                                 return Form({Section(Text("Browsers"), rows)}).frame(380.0, 430.0).id("settingsTop");
                             }),
                             EnvironmentValues{});
    auto rowTop = [&](const std::string& id) {
        return host->lastLayout()
            ->find([&](const LayoutNode& node) { return node.kind() == NodeKind::identified && node.data<IdentifiedData>().id == id; })
            ->frame.minY();
    };
    host->layout(Rect(0, 0, 380, 430));
    double first = rowTop("row-0");
    proxy->scrollTo("row-29", ScrollAnchor::bottom);
    host->layout(Rect(0, 0, 380, 430));
    EXPECT_LT(rowTop("row-0"), 0);
    EXPECT_LE(rowTop("row-29"), 430);
    proxy->scrollTo("settingsTop", ScrollAnchor::top);
    host->layout(Rect(0, 0, 380, 430));
    EXPECT_EQ(rowTop("row-0"), first);
}
