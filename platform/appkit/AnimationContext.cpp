#include "platform/appkit/AnimationContext.hpp"

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

namespace appkit {

struct AnimationContext::Group {
    int running = 0;
    bool configuring = true;
    std::function<void()> completion;

    void finishOne() {
        --running;
        completeIfDone();
    }
    void completeIfDone() {
        if (running > 0 || configuring || !completion) return;
        dispatch::mainQueue()->async(std::exchange(completion, nullptr));
    }
};

namespace {

using foundation::Clock;

struct Animation {
    Clock::TimePoint start;
    double duration;
    AnimationContext::TimingFunction timing;
    std::function<void(double)> step;
    std::shared_ptr<AnimationContext::Group> group;
};

struct Animator {
    std::vector<Animation> animations;
    std::unique_ptr<foundation::RunLoopToken> frameTimer;
    std::vector<AnimationContext*> contexts;

    void add(Animation animation) {
        animations.push_back(std::move(animation));
        if (!frameTimer)
            frameTimer = foundation::RunLoop::main()->addTimer(
                std::chrono::nanoseconds(16'666'667), std::chrono::nanoseconds(16'666'667), [this] { frame(); },
                foundation::NSRunLoopCommonModes);
    }

    void frame() {
        auto now = Clock::now();
        auto current = std::move(animations);
        animations.clear();
        std::vector<Animation> keep;
        for (auto& animation : current) {
            double elapsed = std::chrono::duration<double>(now - animation.start).count();
            double fraction = std::clamp(elapsed / animation.duration, 0.0, 1.0);
            animation.step(AnimationContext::timedProgress(animation.timing, fraction));
            if (fraction >= 1) {
                if (animation.group) animation.group->finishOne();
            } else {
                keep.push_back(std::move(animation));
            }
        }
        // Steps may have started new animations meanwhile.
        for (auto& added : animations) keep.push_back(std::move(added));
        animations = std::move(keep);
        if (animations.empty()) frameTimer.reset();
    }
};

// Animations still running when a test ends go with the rest of the process-wide state.
Animator& animator() {
    static foundation::ProcessWide<Animator> instance;
    return *instance.get();
}

}  // namespace

void AnimationContext::runAnimationGroup(const std::function<void(AnimationContext&)>& changes,
                                         std::function<void()> completion) {
    dispatch::checkMainThread();
    AnimationContext context;
    context.group_ = std::make_shared<Group>();
    context.group_->completion = std::move(completion);
    animator().contexts.push_back(&context);
    changes(context);
    animator().contexts.pop_back();
    context.group_->configuring = false;
    context.group_->completeIfDone();
}

AnimationContext* AnimationContext::currentContext() {
    auto& contexts = animator().contexts;
    return contexts.empty() ? nullptr : contexts.back();
}

void AnimationContext::animate(std::function<void(double)> step) {
    AnimationContext* context = currentContext();
    double duration = context ? context->duration : 0.25;
    auto timing = context ? context->timingFunction : TimingFunction::easeInEaseOut;
    if (duration <= 0) {
        step(1);
        return;
    }
    step(0);
    auto group = context ? context->group_ : nullptr;
    if (group) ++group->running;
    animator().add(Animation{Clock::now(), duration, timing, std::move(step), group});
}

double AnimationContext::timedProgress(TimingFunction function, double t) {
    switch (function) {
    case TimingFunction::linear:
        return t;
    case TimingFunction::easeIn:
        return t * t;
    case TimingFunction::easeOut:
        return 1 - (1 - t) * (1 - t);
    case TimingFunction::easeInEaseOut:
        return t < 0.5 ? 2 * t * t : 1 - std::pow(-2 * t + 2, 2) / 2;
    }
    return t;
}

std::size_t AnimationContext::runningAnimationCount() { return animator().animations.size(); }

}  // namespace appkit
