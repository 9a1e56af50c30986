#include "platform/appkit/AnimationContext.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/appkit/WindowAnimator.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <gtest/gtest.h>

#include <chrono>

using namespace appkit;
using namespace std::chrono_literals;

namespace {

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override { foundation::Clock::installManual(); }
    static void advance(std::chrono::milliseconds step) {
        foundation::Clock::advance(step);
        foundation::RunLoop::main()->runUntilIdle();
    }
};

}  // namespace

TEST_F(AnimationTest, AWindowFadesInOverTheGroupsDurationOnTheClockAndCompletesOnce) {
    auto window = Window::make(Rect(0, 0, 100, 100), WindowStyleMask::titled);
    window->setAlphaValue(0);
    int completions = 0;
    AnimationContext::runAnimationGroup(
        [&](AnimationContext& context) {
            context.duration = 0.2;
            context.timingFunction = AnimationContext::TimingFunction::linear;
            animator(window).setAlphaValue(1);
        },
        [&] { ++completions; });
    EXPECT_EQ(window->alphaValue(), 0);
    advance(100ms);
    EXPECT_NEAR(window->alphaValue(), 0.5, 0.01);
    EXPECT_EQ(completions, 0);
    advance(150ms);
    EXPECT_EQ(window->alphaValue(), 1);
    EXPECT_EQ(completions, 1);
    advance(500ms);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(AnimationContext::runningAnimationCount(), 0u);
}

TEST_F(AnimationTest, AZeroDurationAppliesTheChangeAtOnceAndStillCompletes) {
    auto window = Window::make(Rect(0, 0, 100, 100), WindowStyleMask::titled);
    int completions = 0;
    AnimationContext::runAnimationGroup(
        [&](AnimationContext& context) {
            context.duration = 0;
            animator(window).setFrame(Rect(5, 5, 50, 60));
        },
        [&] { ++completions; });
    EXPECT_EQ(window->frame(), Rect(5, 5, 50, 60));
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(completions, 1);
}

TEST(AnimationTiming, EasingCurvesStartAtZeroEndAtOneAndShapeTheMiddle) {
    using Timing = AnimationContext::TimingFunction;
    for (auto timing : {Timing::linear, Timing::easeIn, Timing::easeOut, Timing::easeInEaseOut}) {
        EXPECT_EQ(AnimationContext::timedProgress(timing, 0), 0);
        EXPECT_EQ(AnimationContext::timedProgress(timing, 1), 1);
    }
    EXPECT_LT(AnimationContext::timedProgress(Timing::easeIn, 0.5), 0.5);
    EXPECT_GT(AnimationContext::timedProgress(Timing::easeOut, 0.5), 0.5);
    EXPECT_EQ(AnimationContext::timedProgress(Timing::easeInEaseOut, 0.5), 0.5);
}
