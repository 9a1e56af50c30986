#pragma once

#include <functional>
#include <memory>

namespace appkit {

// Groups of animations driven by the process clock: changes made through animate() inside
// runAnimationGroup move from their start to their end value over the group's duration, on
// frames of the main run loop (every 1/60 s, in the common modes); the group's completion
// runs once on the main queue after its last animation ended. On the manual clock nothing
// moves until the clock is advanced and the run loop runs. Main thread only.
class AnimationContext {
public:
    enum class TimingFunction { linear, easeIn, easeOut, easeInEaseOut };

    double duration = 0.25;  // seconds
    TimingFunction timingFunction = TimingFunction::easeInEaseOut;
    bool allowsImplicitAnimation = false;

    static void runAnimationGroup(const std::function<void(AnimationContext&)>& changes,
                                  std::function<void()> completion = nullptr);
    // The innermost group being configured, or null.
    static AnimationContext* currentContext();

    // Starts an animation in the current group (outside a group: 0.25 s, ease in and out).
    // The step receives the timed progress, 0 to 1, on every frame; the last call gets 1.
    // A duration of zero applies the end at once.
    static void animate(std::function<void(double progress)> step);

    // The progress the timing function gives at a fraction of the duration.
    static double timedProgress(TimingFunction function, double fraction);

    // Test support: the number of animations still running.
    static std::size_t runningAnimationCount();

    struct Group;

private:
    std::shared_ptr<Group> group_;
};

}  // namespace appkit
