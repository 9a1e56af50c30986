#pragma once

#include "platform/appkit/AnimationContext.hpp"

#include <functional>
#include <optional>

namespace ui {

// How a change is animated: a duration in seconds and a timing curve.
struct Animation {
    double duration = 0.25;
    appkit::AnimationContext::TimingFunction timing = appkit::AnimationContext::TimingFunction::easeInEaseOut;

    static Animation easeInOut(double duration) {
        return {duration, appkit::AnimationContext::TimingFunction::easeInEaseOut};
    }
    static Animation easeOut(double duration) { return {duration, appkit::AnimationContext::TimingFunction::easeOut}; }
};

// Runs the changes with the animation: the re-evaluations they cause animate the nodes
// that come or go with a transition. Main thread only; nests (the innermost wins).
void withAnimation(Animation animation, const std::function<void()>& changes);
// The animation of the changes being made now, if any.
std::optional<Animation> currentAnimation();

// How a node comes and goes when a change is animated: fading, and/or moving in from (and
// out to) the bottom edge by its own height.
struct Transition {
    bool opacity = false;
    bool moveFromBottom = false;

    static Transition fade() { return {true, false}; }
    static Transition fadeAndMoveFromBottom() { return {true, true}; }
};

}  // namespace ui
