#pragma once

#include "platform/appkit/Event.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/ui/AsyncImage.hpp"
#include "platform/ui/CancellationToken.hpp"
#include "platform/ui/HoverTracker.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/ScrollViewReader.hpp"
#include "platform/ui/Transaction.hpp"
#include "platform/ui/View.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Reconciler;

// Keeps a declarative tree alive: evaluates it (through its reconciler, which keeps view
// state, hosted AppKit views, running tasks and image loads alive across evaluations by
// identity), runs the lifecycle actions that became due, lays the result out, and takes
// clicks, keyboard shortcuts and scroll requests to the tree. A change of view state or of
// an observed object schedules one re-evaluation on the main queue.
// Main thread only (checked at every entry point); callbacks hold the host weakly.
class Host : public std::enable_shared_from_this<Host>, public ScrollController {
public:
    static std::shared_ptr<Host> make(Node root, EnvironmentValues environment = defaultEnvironment());
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The system's colour scheme, the rest at its defaults.
    static EnvironmentValues defaultEnvironment();

    void setRoot(Node root);
    void setEnvironment(EnvironmentValues environment);
    const EnvironmentValues& environment() const { return environment_; }

    // Re-evaluates now, then runs the actions that became due.
    void update();
    void setNeedsUpdate();
    int evaluationCount() const { return evaluations_; }

    Size sizeThatFits(ProposedSize proposal);
    // Lays the tree out in the bounds (the root's own size, centred) and places the hosted
    // views in the container.
    const LayoutNode& layout(Rect bounds);
    const std::optional<LayoutNode>& lastLayout() const { return layout_; }
    const ResolvedNode& resolvedTree() const { return resolved_; }

    // A click at a point of the host's coordinates: the button or tap gesture of the
    // frontmost content under it runs (with the simultaneous gestures around it). False
    // when nothing took it.
    bool tap(Point point);
    // The pointer moved to a point of the host's coordinates (none: it left them): the
    // hover actions of the nodes it left and came into run.
    void hover(std::optional<Point> point);

    // Scrolls the first scroll view below the reader so that the node with the id sits at
    // the anchor; needs a layout. With a duration the offset moves over time on the clock.
    void scrollTo(const Identity& reader, const std::string& id, ScrollAnchor anchor,
                  std::optional<double> animationDuration, ScrollViewProxy::Timing timing) override;
    // Scrolls the innermost scroll view under the point by the wheel's delta (positive
    // towards the content's top), within the content; false when no scroll view is there.
    bool scrollBy(Point point, double deltaY);
    // Runs the action of the buttons whose keyboard shortcut the key event matches.
    bool performKeyEquivalent(const appkit::Event& event);

    // Where hosted AppKit views are put, and what runs after every update (the container's
    // new layout).
    void setContainer(const std::shared_ptr<appkit::View>& container);
    void setDidUpdate(std::function<void()> didUpdate);

private:
    Host(Node root, EnvironmentValues environment);

    std::function<void()> invalidator();
    void setScrollOffset(const Identity& scrollView, double offset);
    // What a layout pass reads of the hosted views: their own sizes, how strongly they keep
    // them, and a text field's font (its baseline).
    std::vector<double> hostedViewMeasures() const;

    Node root_;
    EnvironmentValues environment_;
    std::unique_ptr<Reconciler> reconciler_;
    ResolvedNode resolved_;
    std::optional<LayoutNode> layout_;
    // The layout pass is a function of these: with none changed, its result stands.
    struct LayoutInputs {
        int evaluation;
        Rect bounds;
        std::vector<double> hostedViewMeasures;
        bool operator==(const LayoutInputs&) const = default;
    };
    std::optional<LayoutInputs> laidOut_;
    HoverTracker hover_;
    std::optional<Animation> pendingAnimation_;  // of a change that scheduled the next evaluation
    std::function<void()> didUpdate_;
    bool updating_ = false;
    bool needsAnotherPass_ = false;
    bool updateScheduled_ = false;
    int evaluations_ = 0;
};

}  // namespace ui
