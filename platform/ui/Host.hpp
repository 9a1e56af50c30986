#pragma once

#include "platform/foundation/NotificationCenter.hpp"
#include "platform/ui/AsyncImage.hpp"
#include "platform/ui/CancellationToken.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/ScrollViewReader.hpp"
#include "platform/ui/View.hpp"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

namespace ui {

// Keeps a declarative tree alive: evaluates the bodies of its views, reconciles each new
// tree with the previous one by identity (position in its parent, or an explicit id), so
// that view state, hosted AppKit views with their coordinators, running tasks and image
// loads survive re-evaluation; runs the lifecycle actions (appear, disappear, changes after
// the first value, received notifications, tasks) and lays the result out. A change of
// view state or of an observed object schedules one re-evaluation on the main queue.
// Main thread only; callbacks hold the host weakly.
class Host : public std::enable_shared_from_this<Host> {
public:
    static std::shared_ptr<Host> create(Node root, EnvironmentValues environment = defaultEnvironment());
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

    // Scrolls the first scroll view below the reader so that the node with the id sits at
    // the anchor; needs a layout. With a duration the offset moves over time on the clock.
    void scrollTo(const std::string& readerPath, const std::string& id, ScrollAnchor anchor,
                  std::optional<double> animationDuration, ScrollViewProxy::Timing timing);
    // Runs the action of the buttons whose keyboard shortcut the key event matches.
    bool performKeyEquivalent(const appkit::Event& event);

    // Where hosted AppKit views are put, and what runs after every update (the container's
    // new layout).
    void setContainer(const std::shared_ptr<appkit::View>& container) { container_ = container; }
    void setDidUpdate(std::function<void()> didUpdate) { didUpdate_ = std::move(didUpdate); }

private:
    explicit Host(Node root, EnvironmentValues environment);

    struct Mounted {
        bool visited = false;
        std::type_index type = typeid(void);
        std::shared_ptr<View> view;
        std::vector<foundation::ObservationToken> subscriptions;
        std::shared_ptr<void> coordinator;
        std::shared_ptr<appkit::View> hostedView;
        bool appeared = false;
        std::optional<ValueWatch> lastWatch;
        std::function<void()> onDisappear;
        std::shared_ptr<std::function<void(const foundation::Notification&)>> receiveHandler;
        std::unique_ptr<foundation::NotificationToken> receiveToken;
        std::shared_ptr<CancellationToken> task;
        bool loadStarted = false;
        std::optional<std::string> loadingURL;
        AsyncImagePhase phase;
        std::shared_ptr<CancellationToken> load;
        double scrollOffset = 0;
        bool transitionSeen = false;
        double presence = 1;
        std::optional<ResolvedNode> lastResolved;  // transitions: what to keep showing while leaving
    };

    // A node that left in an animated change, shown at its old place until it faded out.
    struct Ghost {
        std::string parentPath;
        std::size_t index = 0;
        ResolvedNode node;
        std::shared_ptr<double> presence;
    };

    ResolvedNode resolve(const Node& node, const std::string& path, const EnvironmentValues& environment);
    Mounted& mount(const std::string& path, std::type_index type);
    void resolveLifecycle(const Lifecycle& lifecycle, Mounted& mounted);
    void startLoad(const std::string& path, Mounted& mounted);
    void unmount(Mounted& mounted);
    void unmountBelow(const std::string& path);
    std::function<void()> invalidator();
    void setScrollOffset(const std::string& path, double offset);
    void resolveTransition(const std::string& path, Mounted& mounted, ResolvedNode& resolved);
    void keepLeavingNode(const std::string& path, Mounted& mounted);
    void insertGhosts(const std::string& path, ResolvedNode& resolved);
    void animatePresence(const std::string& path, double from, double to, bool leaving);

    Node root_;
    EnvironmentValues environment_;
    std::map<std::string, Mounted> mounted_;
    ResolvedNode resolved_;
    std::optional<LayoutNode> layout_;
    std::vector<std::function<void()>> pendingActions_;
    std::map<std::string, Ghost> ghosts_;
    std::optional<Animation> passAnimation_;  // the animation of the change being evaluated
    std::optional<Animation> pendingAnimation_;
    std::weak_ptr<appkit::View> container_;
    std::function<void()> didUpdate_;
    bool updating_ = false;
    bool needsAnotherPass_ = false;
    bool updateScheduled_ = false;
    int evaluations_ = 0;
};

}  // namespace ui
