#include "platform/ui/Host.hpp"

#include "platform/appkit/Appearance.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/ui/HitTest.hpp"
#include "platform/ui/Layout.hpp"
#include "platform/ui/Reconciler.hpp"
#include "platform/ui/Scrolling.hpp"
#include "platform/ui/ShortcutMatcher.hpp"

namespace ui {

std::shared_ptr<Host> Host::make(Node root, EnvironmentValues environment) {
    dispatch::checkMainThread();
    auto host = std::shared_ptr<Host>(new Host(std::move(root), std::move(environment)));
    host->reconciler_ = std::make_unique<Reconciler>(Reconciler::Hooks{host->invalidator(), host->weak_from_this()});
    host->update();
    return host;
}

Host::Host(Node root, EnvironmentValues environment) : root_(std::move(root)), environment_(std::move(environment)) {}

Host::~Host() {
    // Everything shown goes away with the host: its disappear actions still run.
    reconciler_->releaseAll();
    for (auto& action : reconciler_->takePendingActions()) action();
}

EnvironmentValues Host::defaultEnvironment() {
    EnvironmentValues values;
    values.colorScheme = colorSchemeFor(appkit::systemAppearance());
    return values;
}

void Host::setRoot(Node root) {
    dispatch::checkMainThread();
    root_ = std::move(root);
    update();
}

void Host::setEnvironment(EnvironmentValues environment) {
    dispatch::checkMainThread();
    environment_ = std::move(environment);
    update();
}

void Host::setContainer(const std::shared_ptr<appkit::View>& container) {
    dispatch::checkMainThread();
    reconciler_->setContainer(container);
}

void Host::setDidUpdate(std::function<void()> didUpdate) {
    dispatch::checkMainThread();
    didUpdate_ = std::move(didUpdate);
}

std::function<void()> Host::invalidator() {
    std::weak_ptr<Host> weakSelf = weak_from_this();
    return [weakSelf] {
        if (auto host = weakSelf.lock()) host->setNeedsUpdate();
    };
}

void Host::setNeedsUpdate() {
    dispatch::checkMainThread();
    if (auto animation = currentAnimation()) pendingAnimation_ = animation;
    if (updating_) {
        needsAnotherPass_ = true;
        return;
    }
    if (updateScheduled_) return;
    updateScheduled_ = true;
    std::weak_ptr<Host> weakSelf = weak_from_this();
    dispatch::mainQueue()->async([weakSelf] {
        if (auto host = weakSelf.lock(); host && host->updateScheduled_) host->update();
    });
}

void Host::update() {
    dispatch::checkMainThread();
    if (updating_) {
        needsAnotherPass_ = true;
        return;
    }
    auto keepAlive = shared_from_this();
    updateScheduled_ = false;
    updating_ = true;
    do {
        needsAnotherPass_ = false;
        ++evaluations_;
        auto animation = currentAnimation() ? currentAnimation() : std::exchange(pendingAnimation_, std::nullopt);
        // Nodes present when the tree is first shown do not animate in.
        resolved_ = reconciler_->reconcile(root_, environment_, animation, evaluations_ > 1);
        // Actions run after the tree is consistent; they may change state again.
        for (auto& action : reconciler_->takePendingActions()) action();
    } while (needsAnotherPass_);
    updating_ = false;
    if (auto didUpdate = didUpdate_) didUpdate();
}

Size Host::sizeThatFits(ProposedSize proposal) {
    dispatch::checkMainThread();
    return Layout::sizeThatFits(resolved_, proposal, environment_);
}

std::vector<double> Host::hostedViewMeasures() const {
    std::vector<double> measures;
    auto visit = [&](const ResolvedNode& node, const auto& visitChildren) -> void {
        if (const auto& view = node.hostedView) {
            Size own = view->intrinsicContentSize();
            measures.insert(measures.end(), {own.width, own.height,
                                             view->contentHuggingPriority(appkit::LayoutOrientation::horizontal),
                                             view->contentHuggingPriority(appkit::LayoutOrientation::vertical)});
            if (auto* field = dynamic_cast<const appkit::TextField*>(view.get())) {
                const Font& font = field->font();
                measures.insert(measures.end(), {font.pointSize, double(font.weight), double(font.design)});
            }
        }
        for (const auto& child : node.children) visitChildren(child, visitChildren);
    };
    visit(resolved_, visit);
    return measures;
}

const LayoutNode& Host::layout(Rect bounds) {
    dispatch::checkMainThread();
    // A frame set again at the same size (a window moved), or the layout after an update
    // whose actions already laid the new tree out in these bounds, would come out the same.
    LayoutInputs inputs{evaluations_, bounds, hostedViewMeasures()};
    if (!layout_ || laidOut_ != inputs) {
        ProposedSize proposal{bounds.width(), bounds.height()};
        Size size = sizeThatFits(proposal);
        Rect frame(bounds.minX() + (bounds.width() - size.width) / 2,
                   bounds.minY() + (bounds.height() - size.height) / 2, size.width, size.height);
        layout_ = Layout::place(resolved_, frame, proposal, environment_);
        laidOut_ = std::move(inputs);
    }
    layout_->forEach([this](const LayoutNode& node) {
        if (node.hostedView) node.hostedView->setFrame(node.frame);
        // Scrolls go on from where the content is shown, not from an offset it lost.
        if (node.kind() == NodeKind::scroll)
            if (auto* record = reconciler_->scrollRecord(node.identity)) record->offset = node.scrollOffset;
    });
    return *layout_;
}

bool Host::tap(Point point) {
    dispatch::checkMainThread();
    if (!layout_) return false;
    auto actions = HitTest::actionsAt(*layout_, point);
    for (auto& action : actions) action();
    return !actions.empty();
}

void Host::hover(std::optional<Point> point) {
    dispatch::checkMainThread();
    if (!layout_) return;
    for (auto& action : hover_.move(*layout_, point)) action();
}

bool Host::scrollBy(Point point, double deltaY) {
    dispatch::checkMainThread();
    if (!layout_) return false;
    auto move = Scrolling::wheel(*layout_, point, deltaY);
    if (!move) return false;
    setScrollOffset(move->scrollView, move->offset);
    return true;
}

bool Host::performKeyEquivalent(const appkit::Event& event) {
    dispatch::checkMainThread();
    if (!layout_) return false;
    auto action = ShortcutMatcher::actionFor(*layout_, event);
    if (!action) return false;
    action();
    return true;
}

void Host::scrollTo(const Identity& reader, const std::string& id, ScrollAnchor anchor,
                    std::optional<double> animationDuration, ScrollViewProxy::Timing timing) {
    dispatch::checkMainThread();
    if (!layout_) return;
    auto move = Scrolling::plan(*layout_, reader, id, anchor);
    const ScrollRecord* record = move ? reconciler_->scrollRecord(move->scrollView) : nullptr;
    if (!record) return;
    if (!move->animates || !animationDuration || *animationDuration <= 0)
        return setScrollOffset(move->scrollView, move->offset);
    std::weak_ptr<Host> weakSelf = weak_from_this();
    Scrolling::animate(*move, record->offset, *animationDuration, timing,
                       [weakSelf](const Identity& scrollView, double offset) {
                           if (auto host = weakSelf.lock()) host->setScrollOffset(scrollView, offset);
                       });
}

void Host::setScrollOffset(const Identity& scrollView, double offset) {
    auto* record = reconciler_->scrollRecord(scrollView);
    if (!record) return;
    record->offset = offset;
    update();
}

}  // namespace ui
