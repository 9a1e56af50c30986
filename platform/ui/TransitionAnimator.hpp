#pragma once

#include "platform/ui/Identity.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/Transaction.hpp"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace ui {

// What the host keeps for a node with a transition: how present it is (0 gone, 1 fully
// there; shared with the animation that moves it) and how it looked when last evaluated.
struct TransitionRecord {
    bool seen = false;
    std::shared_ptr<double> presence = std::make_shared<double>(1);
    std::optional<ResolvedNode> lastResolved;
};

// Animates the nodes that come and go with a transition in an animated change: an arriving
// node's presence rises from 0 to 1; a leaving node is kept, frozen as it last looked, at
// its old place among its siblings until its presence has fallen to 0, and one that comes
// back meanwhile starts from where it stands. Each animation frame asks for a
// re-evaluation. Main thread only; animations hold the animator weakly.
class TransitionAnimator : public std::enable_shared_from_this<TransitionAnimator> {
public:
    explicit TransitionAnimator(std::function<void()> invalidate) : invalidate_(std::move(invalidate)) {}

    // The animation of the change being evaluated (none: nodes come and go at once), and
    // whether arriving nodes animate (not the nodes present when the tree is first shown).
    void beginPass(std::optional<Animation> animation, bool animatesArrivals);
    void endPass();

    // An evaluated transition node: a newly arrived one starts its presence animation.
    void arrive(const Identity& identity, TransitionRecord& record, ResolvedNode& resolved);
    // A transition node that went away in this pass: in an animated change it keeps being shown.
    void leave(const Identity& identity, const TransitionRecord& record);
    // Puts the leaving children of the parent back at their old places.
    void insertLeaving(const Identity& parent, ResolvedNode& resolved) const;

private:
    struct Leaving {
        Identity parent;
        std::size_t index = 0;
        ResolvedNode node;
        std::shared_ptr<double> presence;
    };
    // Runs the steps on the clock; a step answers whether its node still takes the value.
    void animate(double from, double to, std::function<bool(double value, bool finished)> step);

    std::function<void()> invalidate_;
    std::optional<Animation> animation_;
    bool animatesArrivals_ = false;
    std::map<Identity, Leaving> leaving_;
};

}  // namespace ui
