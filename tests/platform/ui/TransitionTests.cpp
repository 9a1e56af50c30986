#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/ui/Host.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

using namespace ui;
using namespace std::chrono_literals;

namespace {

class ToastView : public View {
public:
    explicit ToastView(std::optional<Binding<bool>>& handle) : handle(handle) {}
    Node body() override {
        handle = shown.binding();
        Node toast = shown.get() ? Text("Copied").frame(80.0, 20.0).transition(Transition::fadeAndMoveFromBottom())
                                 : EmptyView();
        return ZStack({Rectangle().frame(200.0, 100.0), toast}, Alignment::bottom());
    }
    std::optional<Binding<bool>>& handle;
    State<bool> shown{this, false};
};

class TransitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::Clock::installManual();
        host = Host::make(make<ToastView>(shown), EnvironmentValues{});
    }
    // The toast's presence and its top edge, or nullopt when it is not shown.
    std::optional<std::pair<double, double>> toast() {
        const auto& layout = host->layout(Rect(0, 0, 200, 100));
        const auto* node = layout.find([](const LayoutNode& found) { return found.kind() == NodeKind::transition; });
        if (!node) return std::nullopt;
        return std::pair{node->presence, node->children.front().frame.minY()};
    }
    void advance(std::chrono::milliseconds step) {
        foundation::Clock::advance(step);
        foundation::RunLoop::main()->runUntilIdle();
    }

    std::optional<Binding<bool>> shown;
    std::shared_ptr<Host> host;
};

}  // namespace

TEST_F(TransitionTest, AnAnimatedInsertionFadesInFromTheBottomEdge) {
    withAnimation(Animation::easeInOut(0.2), [&] { shown->set(true); });
    foundation::RunLoop::main()->runUntilIdle();
    auto start = toast();
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->first, 0);
    EXPECT_EQ(start->second, 100);  // one height below its place at the bottom
    advance(100ms);
    auto middle = toast();
    EXPECT_GT(middle->first, 0.2);
    EXPECT_LT(middle->first, 0.8);
    advance(150ms);
    EXPECT_EQ(toast()->first, 1);
    EXPECT_EQ(toast()->second, 80);
}

TEST_F(TransitionTest, AnAnimatedRemovalKeepsShowingTheNodeUntilItHasFadedOut) {
    shown->set(true);
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(toast()->first, 1);  // without an animation it is there at once

    withAnimation(Animation::easeInOut(0.2), [&] { shown->set(false); });
    foundation::RunLoop::main()->runUntilIdle();
    ASSERT_TRUE(toast().has_value());
    advance(100ms);
    ASSERT_TRUE(toast().has_value());
    EXPECT_LT(toast()->first, 0.8);
    advance(150ms);
    EXPECT_FALSE(toast().has_value());
}

TEST_F(TransitionTest, WithoutAnAnimationTheNodeComesAndGoesAtOnce) {
    shown->set(true);
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(toast()->first, 1);
    shown->set(false);
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_FALSE(toast().has_value());
}

TEST_F(TransitionTest, ANodeThatReturnsWhileLeavingComesBackFromWhereItStands) {
    shown->set(true);
    foundation::RunLoop::main()->runUntilIdle();
    withAnimation(Animation::easeInOut(0.2), [&] { shown->set(false); });
    foundation::RunLoop::main()->runUntilIdle();
    advance(100ms);
    double halfway = toast()->first;
    withAnimation(Animation::easeInOut(0.2), [&] { shown->set(true); });
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_NEAR(toast()->first, halfway, 0.01);
    advance(300ms);
    EXPECT_EQ(toast()->first, 1);
    advance(300ms);
    EXPECT_EQ(toast()->first, 1);  // the old departure no longer touches it
}
