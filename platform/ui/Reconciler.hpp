#pragma once

#include "platform/ui/Identity.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/MountedNode.hpp"
#include "platform/ui/ScrollViewReader.hpp"
#include "platform/ui/TransitionAnimator.hpp"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <typeindex>

namespace ui {

// Turns a declarative tree into a resolved one, evaluation after evaluation: expands views
// into their bodies, hosted AppKit views and asynchronous images into what they show, and
// keeps a record per identity (position in the parent, or explicit id) of what must
// outlive one evaluation: view state, hosted views with their coordinators, lifecycle
// actions and tasks, image loads, scroll offsets, transitions. A node of another kind or
// type at an identity is a new node there; what stood there and below goes. Lifecycle
// actions are collected, not run: the host runs them once the tree is consistent.
// Main thread only; owned by the host.
class Reconciler {
public:
    struct Hooks {
        std::function<void()> invalidate;                  // asks for a re-evaluation
        std::weak_ptr<ScrollController> scrollController;  // what scroll-view readers drive
    };

    explicit Reconciler(Hooks hooks);
    ~Reconciler();
    Reconciler(const Reconciler&) = delete;
    Reconciler& operator=(const Reconciler&) = delete;

    // Where hosted AppKit views are put.
    void setContainer(const std::shared_ptr<appkit::View>& container) { container_ = container; }

    // One evaluation: resolves the tree and lets go of what is no longer in it, keeping
    // leaving transitions on screen when the change is animated. Arriving transitions
    // animate only when asked (not on the first evaluation).
    ResolvedNode reconcile(const Node& root, const EnvironmentValues& environment, std::optional<Animation> animation,
                           bool animatesArrivals);
    // The lifecycle actions that became due, in tree order.
    PendingActions takePendingActions() { return std::exchange(pending_, {}); }
    // The scroll view at the identity, if one is there.
    ScrollRecord* scrollRecord(const Identity& identity);
    // Lets go of everything (the tree goes away); the disappear actions become pending.
    void releaseAll();

private:
    ResolvedNode resolve(const Node& node, const Identity& identity, const EnvironmentValues& environment);
    void resolveChildren(const Node& node, ResolvedNode& resolved, const EnvironmentValues& environment);
    void resolveView(const ComponentData& data, ResolvedNode& resolved, const EnvironmentValues& environment);
    void resolveHostedView(const RepresentableData& data, ResolvedNode& resolved, const EnvironmentValues& environment);
    template <class Record>
    Record& mount(const Identity& identity, std::type_index type);
    void releaseBelow(const Identity& identity);

    Hooks hooks_;
    std::weak_ptr<appkit::View> container_;
    std::map<Identity, MountedNode> mounted_;
    std::shared_ptr<TransitionAnimator> transitions_;
    PendingActions pending_;
};

}  // namespace ui
